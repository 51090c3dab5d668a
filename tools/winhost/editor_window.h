// Windows that play the compose window around the HTML editor: plain panes of
// any class, the editor window of class "Internet Explorer_Server" that hands
// out its document on "WM_HTML_GETOBJECT", an editor whose thread is hung,
// and another subclasser of the editor. Child windows are visible, so that
// the system paints them as it paints the host's.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace wintest {

inline constexpr char kEditorClassName[] = "Internet Explorer_Server";

// A hidden window of the given class that does only the default; the class
// is registered while windows of it exist (class names are compared without
// regard to case, so "internet explorer_server" cannot live beside the editor's).
class PlainWindow {
public:
    explicit PlainWindow(HWND parent = nullptr, std::string className = "TorvaneTestPane");
    ~PlainWindow();
    PlainWindow(const PlainWindow&) = delete;
    PlainWindow& operator=(const PlainWindow&) = delete;

    HWND handle() const { return window_; }

private:
    std::string className_;
    HWND window_ = nullptr;
};

// A message the editor window received.
struct ReceivedMessage {
    UINT id;
    WPARAM wParam;
    LPARAM lParam;
    // A paint the system produced: WM_PAINT for an invalid area, WM_NCPAINT
    // with its update region (or 1, the whole frame) as wParam.
    bool fromSystem;
    // It arrived while the document reported a ready-state change.
    bool duringReadyStateChange;
};

// How many whole repaints the system made in `paints`: one WM_NCPAINT and
// one WM_PAINT of the system's each; 0 when any other paint is among them.
std::size_t systemRepaints(const std::vector<ReceivedMessage>& paints);

// The editor: a Unicode window, as the browser's is, that answers
// "WM_HTML_GETOBJECT" with LresultFromObject for its document, or with 0
// when it has none, and records the paint
// messages and the characters (WM_CHAR, WM_IME_CHAR) it receives.
class EditorWindow {
public:
    explicit EditorWindow(HWND parent, IUnknown* document = nullptr);
    ~EditorWindow();
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    HWND handle() const { return window_; }
    void setDocument(IUnknown* document);
    const std::vector<ReceivedMessage>& paintMessages() const;
    // The paints that arrived while a document reported a ready-state change.
    std::vector<ReceivedMessage> paintsDuringReadyStateChanges() const;
    const std::vector<WPARAM>& characters() const;
    int getObjectRequests() const;
    // Its own window procedure, as the class gives it.
    static WNDPROC ownProcedure();

    struct State;

private:
    std::unique_ptr<State> state_;
    HWND window_ = nullptr;
};

// An editor window owned by a second thread that blocks without handling
// messages, so a request for its document can only time out. With a parent
// it is a child window of it (destroy it before the parent).
class HungEditorWindow {
public:
    explicit HungEditorWindow(HWND parent = nullptr);  // returns once the window exists and its thread blocks
    ~HungEditorWindow();  // unblocks the thread, which destroys its window and ends
    HungEditorWindow(const HungEditorWindow&) = delete;
    HungEditorWindow& operator=(const HungEditorWindow&) = delete;

    HWND handle() const { return window_; }

private:
    std::promise<void> release_;
    std::thread thread_;
    HWND window_ = nullptr;
};

// Another subclasser of a window, as an input method or another plug-in is:
// it sits on top of whatever procedure the window has, hands every message
// on with CallWindowProcW, and takes itself off as such code usually does,
// by putting back the procedure it found, whatever sits above it by then.
class ForeignSubclass {
public:
    explicit ForeignSubclass(HWND window);
    ~ForeignSubclass();  // removes itself if it is still on
    ForeignSubclass(const ForeignSubclass&) = delete;
    ForeignSubclass& operator=(const ForeignSubclass&) = delete;

    void remove();
    HWND window() const { return window_; }
    int messages() const { return messages_; }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_;
    WNDPROC found_ = nullptr;
    int messages_ = 0;
};

}  // namespace wintest
