#include "tools/winhost/host_windows.h"

#include <stdexcept>

namespace wintest {
namespace {

constexpr const char* kWindowClass = "TorvaneTestHostWindow";

void registerWindowClass() {
    static const bool registered = [] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassA(&windowClass) != 0;
    }();
    if (!registered) throw std::runtime_error("cannot register the host's window class");
}

}  // namespace

OwnedWindow createHostWindow(const char* title) {
    registerWindowClass();
    HWND window = CreateWindowExA(0, kWindowClass, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 400, 300,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window) throw std::runtime_error("cannot create a host window");
    return OwnedWindow(window);
}

HostWindows::HostWindows() : main_(createHostWindow("Host main window")) {}

HWND HostWindows::openComposeWindow(EditorKind editorKind) {
    compose_.push_back(std::make_unique<HostComposeWindow>(editorKind));
    return compose_.back()->handle();
}

HostComposeWindow* HostWindows::composeWindow(HWND window) const {
    for (const auto& compose : compose_)
        if (compose->handle() == window) return compose.get();
    return nullptr;
}

void HostWindows::closeEditors() {
    for (const auto& compose : compose_) compose->closeEditor();
}

void HostWindows::removeForeignSubclasses() {
    for (const auto& compose : compose_) compose->removeForeignSubclass();
}

void HostWindows::closeComposeWindow(HWND window) {
    for (auto it = compose_.begin(); it != compose_.end(); ++it) {
        if ((*it)->handle() != window) continue;
        compose_.erase(it);
        return;
    }
}

}  // namespace wintest
