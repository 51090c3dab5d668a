// A compose window as the host makes it: a top-level window, shown, that
// gets its HTML editor only when it is sent the host's compose command
// 0x8047. The editor is then a grandchild (a pane, and in it the "Internet
// Explorer_Server" window); what kind of editor is set per window.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "tools/winhost/editor_window.h"
#include "tools/winhost/test_document.h"

namespace wintest {

enum class EditorKind {
    Answering,   // hands out a fresh TestDocument on "WM_HTML_GETOBJECT"
    NeverReady,  // the same, but the document never reports a ready-state change
    Silent,     // answers "WM_HTML_GETOBJECT" with 0: no document to be had
    Hung,       // owned by a thread that handles no messages
    None,       // the command puts no editor into the window
};

inline constexpr WPARAM kHtmlEditorCommand = 0x8047;

// What the window saw when the command arrived.
struct EditorCommandSeen {
    std::string compositionText;    // the composition's body text (BKA_CompSetText)
    std::size_t hostCallsBefore;    // how many BKA_ calls the plug-in had made
    std::size_t tempFolderEntries;  // files and folders in the host's temporary folder
};

class HostComposeWindow {
public:
    explicit HostComposeWindow(EditorKind editorKind);
    ~HostComposeWindow();  // closes the editor first
    HostComposeWindow(const HostComposeWindow&) = delete;
    HostComposeWindow& operator=(const HostComposeWindow&) = delete;

    HWND handle() const { return window_; }
    const std::vector<EditorCommandSeen>& editorCommands() const { return commands_; }

    // Null before the command and for EditorKind::None.
    HWND editorHandle() const;
    // The editor's document (Answering, NeverReady), after the command.
    TestDocument* document() const { return document_.Get(); }
    // The single-threaded editor (Answering, NeverReady, Silent), after the command.
    const EditorWindow* editor() const { return editor_.get(); }

    // The editor window goes, and the editor lets go of its document; sinks
    // still connected stay with the document for as long as it lives.
    void closeEditor();

    // Another subclasser (an input method, another plug-in) on top of the
    // editor's procedure as it is now; taken off by removeForeignSubclass.
    void addForeignSubclass();
    void removeForeignSubclass();
    ForeignSubclass* foreignSubclass() const { return foreign_.get(); }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void onEditorCommand();

    EditorKind editorKind_;
    HWND window_ = nullptr;
    std::vector<EditorCommandSeen> commands_;
    std::unique_ptr<PlainWindow> pane_;
    std::unique_ptr<EditorWindow> editor_;
    std::unique_ptr<HungEditorWindow> hungEditor_;
    std::unique_ptr<ForeignSubclass> foreign_;
    Microsoft::WRL::ComPtr<TestDocument> document_;
};

}  // namespace wintest
