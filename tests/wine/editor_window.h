// Windows that play the compose window around the HTML editor: plain panes of
// any class, the editor window of class "Internet Explorer_Server" that hands
// out its document on "WM_HTML_GETOBJECT", and an editor whose thread is hung.
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
};

// The editor: answers "WM_HTML_GETOBJECT" with LresultFromObject for its
// document (IHTMLDocument2), or with 0 when it has none, and records the
// paint messages sent to it.
class EditorWindow {
public:
    explicit EditorWindow(HWND parent, IUnknown* document = nullptr);
    ~EditorWindow();
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    HWND handle() const { return window_; }
    void setDocument(IUnknown* document);
    const std::vector<ReceivedMessage>& paintMessages() const;
    int getObjectRequests() const;

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

}  // namespace wintest
