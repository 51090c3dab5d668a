// The windows the host owns: its main window and the compose windows it
// opens. Real top-level windows (never shown), so the plug-in gets handles
// that the window system knows.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>
#include <vector>

namespace wintest {

struct WindowDestroy {
    void operator()(HWND window) const { DestroyWindow(window); }
};
using OwnedWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroy>;

class HostWindows {
public:
    HostWindows();

    HWND mainWindow() const { return main_.get(); }
    // A new compose window, kept until this object goes.
    HWND openComposeWindow();
    const std::vector<OwnedWindow>& composeWindows() const { return compose_; }

private:
    OwnedWindow main_;
    std::vector<OwnedWindow> compose_;
};

// A window of the host's test class with the given title.
OwnedWindow createHostWindow(const char* title);

}  // namespace wintest
