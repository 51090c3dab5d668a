// The windows the host owns: its main window and the compose windows it
// opens. Real top-level windows (never shown), so the plug-in gets handles
// that the window system knows.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "platform/win/owned.h"
#include "tools/winhost/host_compose_window.h"

namespace wintest {

using platform::OwnedWindow;

class HostWindows {
public:
    HostWindows();

    HWND mainWindow() const { return main_.get(); }
    // A new compose window, kept until this object goes.
    HWND openComposeWindow(EditorKind editorKind = EditorKind::Answering);
    // The compose window with that handle; null for any other window.
    HostComposeWindow* composeWindow(HWND window) const;
    // Closes the editors of all compose windows (see HostComposeWindow::closeEditor).
    void closeEditors();
    // Takes the other subclassers off every editor (see HostComposeWindow).
    void removeForeignSubclasses();
    // Closes the compose window and forgets it.
    void closeComposeWindow(HWND window);

private:
    OwnedWindow main_;
    std::vector<std::unique_ptr<HostComposeWindow>> compose_;
};

// A window of the host's test class with the given title.
OwnedWindow createHostWindow(const char* title);

}  // namespace wintest
