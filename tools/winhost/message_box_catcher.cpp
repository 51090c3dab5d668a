#include "tools/winhost/message_box_catcher.h"

#include <cstring>
#include <stdexcept>
#include <utility>

namespace wintest {
namespace {

// The catcher of this thread (boxes of the plug-in arrive on the host's thread).
thread_local MessageBoxCatcher* activeCatcher = nullptr;
thread_local HHOOK activeHook = nullptr;

// A message box's text is its static control with this id.
constexpr int kMessageBoxTextId = 0xFFFF;

constexpr UINT kRunAction = WM_APP + 0x4E;
constexpr char kActionClass[] = "TorvaneTestBoxAction";

std::string windowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

bool isDialog(HWND window) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    return std::strcmp(className, "#32770") == 0;
}

}  // namespace

MessageBoxCatcher::MessageBoxCatcher() {
    if (activeCatcher) throw std::logic_error("one message box catcher per thread");
    hook_ = SetWindowsHookExA(WH_CBT, &MessageBoxCatcher::hookProcedure, nullptr, GetCurrentThreadId());
    if (!hook_) throw std::runtime_error("cannot install the WH_CBT hook");
    activeCatcher = this;
    activeHook = hook_;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &MessageBoxCatcher::actionProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kActionClass;
    RegisterClassA(&windowClass);  // already registered is fine
    actionWindow_ = CreateWindowExA(0, kActionClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
}

MessageBoxCatcher::~MessageBoxCatcher() {
    UnhookWindowsHookEx(hook_);
    DestroyWindow(actionWindow_);
    activeCatcher = nullptr;
    activeHook = nullptr;
}

std::vector<CaughtBox> MessageBoxCatcher::take() { return std::exchange(caught_, {}); }

void MessageBoxCatcher::actWhileNextBoxIsUp(std::function<void()> action) { nextAction_ = std::move(action); }

LRESULT CALLBACK MessageBoxCatcher::actionProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kRunAction || !activeCatcher) return DefWindowProcA(window, message, wParam, lParam);
    const std::function<void()> action = std::exchange(activeCatcher->nextAction_, nullptr);
    if (action) action();
    return 0;
}

LRESULT CALLBACK MessageBoxCatcher::hookProcedure(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && activeCatcher) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (isDialog(window)) {
            HWND textControl = GetDlgItem(window, kMessageBoxTextId);
            activeCatcher->caught_.push_back({textControl ? windowText(textControl) : std::string(), windowText(window)});
            // Both go through the box's loop, the action first.
            if (activeCatcher->nextAction_) PostMessageA(activeCatcher->actionWindow_, kRunAction, 0, 0);
            PostMessageA(window, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(activeHook, code, wParam, lParam);
}

}  // namespace wintest
