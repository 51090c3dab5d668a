#include "composer/win/editor_subclass.h"

#include <cstdint>
#include <cstdio>

#include "platform/message_box.h"
#include "shell/module_paths.h"
#include "shell/settings.h"
#include "shell/win/menu_commands.h"
#include "shell/win/plugin_state.h"

namespace {

constexpr UINT kGreyed = MF_BYCOMMAND | MF_GRAYED | MF_DISABLED;

template <std::size_t Size>
void formatPropertyName(char (&name)[Size], const char* format, HWND window) {
    std::snprintf(name, Size, format, static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(window)));
}

struct PropertyNames {
    explicit PropertyNames(HWND window) {
        formatPropertyName(procedure, "SCID%.8X", window);
        formatPropertyName(session, "SCCMID%.8X", window);
    }
    char procedure[100];
    char session[100];
};

WNDPROC previousProcOf(HWND window) {
    return reinterpret_cast<WNDPROC>(GetPropA(window, PropertyNames(window).procedure));
}

LRESULT callPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = previousProcOf(window);
    return previous ? CallWindowProcA(previous, window, message, wParam, lParam) : 0;
}

// The session whose editor this is: its compose window is the property's value.
HWND sessionKeyOf(HWND window) {
    return reinterpret_cast<HWND>(GetPropA(window, PropertyNames(window).session));
}

LRESULT onContextMenu(HWND window, WPARAM wParam, LPARAM lParam) {
    HMENU menu = menuCommands().composePopupMenu.get();
    // Without the plug-in's menu the editor keeps its own.
    if (!menu) return callPrevious(window, WM_CONTEXTMENU, wParam, lParam);
    // Both coordinates unsigned: a request from the keyboard (all ones)
    // gives 65535, 65535, where the system then places the menu.
    const int x = LOWORD(lParam);
    const int y = HIWORD(lParam);
    const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD, x, y, 0, window, nullptr);

    // Looked up only now: the menu loop may have let the window's session go.
    ComposeWindowSession* session = findSession(sessionKeyOf(window));
    const PopupAction action = popupActionFor(chosen);
    switch (action.kind) {
        case PopupAction::None:
            return 0;
        case PopupAction::Refresh:
            if (session) session->refreshSignature();
            return 0;
        case PopupAction::Rerender:
            if (session) session->rerenderWithCharset(action.charsetName);
            break;
    }
    return callPrevious(window, WM_CONTEXTMENU, wParam, lParam);
}

// The pop-up opening: only the refresh item unless ResetCharset is on now.
void enablePopupItems(HMENU menu) {
    const MenuCommands& commands = menuCommands();
    const UINT charsetItems = readResetCharset(settingsPath()) ? MF_BYCOMMAND | MF_ENABLED : kGreyed;
    EnableMenuItem(menu, static_cast<UINT>(commands.refreshCommandId), MF_BYCOMMAND | MF_ENABLED);
    EnableMenuItem(menu, static_cast<UINT>(commands.autoCommandId), charsetItems);
    for (int id : commands.charsetCommandIds) EnableMenuItem(menu, static_cast<UINT>(id), charsetItems);
}

// The editor is going: its session goes with it, so that a window that later
// gets the same handle starts a session of its own.
LRESULT onNcDestroy(HWND window, WPARAM wParam, LPARAM lParam) {
    const HWND key = sessionKeyOf(window);
    const LRESULT result = callPrevious(window, WM_NCDESTROY, wParam, lParam);
    const ComposeWindowSession* session = findSession(key);
    if (session && session->editorWindow == window) removeSession(key);
    return result;
}

}  // namespace

void subclassEditor(SubclassRecord& record, HWND editorWindow) {
    if (!editorWindow || record.subclassed) return;
    record.previousProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(editorWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&editorWindowProc)));
    formatPropertyName(record.procPropertyName, "SCID%.8X", editorWindow);
    SetPropA(editorWindow, record.procPropertyName, reinterpret_cast<HANDLE>(record.previousProc));
    formatPropertyName(record.sessionPropertyName, "SCCMID%.8X", editorWindow);
    SetPropA(editorWindow, record.sessionPropertyName, reinterpret_cast<HANDLE>(record.composeWindow));
    if (!record.previousProc) platform::showMessageBox("Error in IE subclass!", "Error");
    record.subclassed = true;
}

void unsubclassEditor(HWND editorWindow, SubclassRecord& record) {
    if (!record.previousProc || !editorWindow || !record.subclassed) return;
    // A handle that no longer names the window subclassed (it is gone, or
    // the system gave the handle to another window) is not touched.
    if (IsWindow(editorWindow) &&
        GetPropA(editorWindow, record.procPropertyName) == reinterpret_cast<HANDLE>(record.previousProc)) {
        RemovePropA(editorWindow, record.procPropertyName);
        RemovePropA(editorWindow, record.sessionPropertyName);
        SetWindowLongPtrA(editorWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record.previousProc));
    }
    record.subclassed = false;
}

LRESULT CALLBACK editorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // No exception may unwind through the system's message dispatch.
    try {
        switch (message) {
            case WM_CONTEXTMENU:
                return onContextMenu(window, wParam, lParam);
            case WM_INITMENUPOPUP:
                if (HMENU menu = menuCommands().composePopupMenu.get();
                    menu && reinterpret_cast<HMENU>(wParam) == menu) {
                    enablePopupItems(menu);
                    return 0;
                }
                break;
            case WM_NCDESTROY:
                return onNcDestroy(window, wParam, lParam);
            default:
                break;
        }
    } catch (...) {
        return 0;
    }
    return callPrevious(window, message, wParam, lParam);
}
