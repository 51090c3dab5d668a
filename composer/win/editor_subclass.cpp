#include "composer/win/editor_subclass.h"

#include <windowsx.h>

#include <cstdint>
#include <cstdio>

#include "composer/win/session_lifetime.h"
#include "platform/callback_boundary.h"
#include "platform/message_box.h"

namespace {

EditorOwner* currentOwner = nullptr;

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

// The editor window is Unicode and is subclassed as such: an ANSI procedure
// in its chain would turn what the user types outside the code page into "?".
LRESULT callPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = previousProcOf(window);
    return previous ? CallWindowProcW(previous, window, message, wParam, lParam) : 0;
}

// The session whose editor this is: its compose window is the property's
// value. A session registered there since for another editor is not this one's.
ComposeWindowSession* sessionOf(HWND window) {
    if (!currentOwner) return nullptr;
    ComposeWindowSession* session =
        currentOwner->findSession(reinterpret_cast<HWND>(GetPropA(window, PropertyNames(window).session)));
    return session && session->editorWindow == window ? session : nullptr;
}

void removeProperties(HWND window) {
    const PropertyNames names(window);
    RemovePropA(window, names.procedure);
    RemovePropA(window, names.session);
}

// Where the pop-up goes. A request from the keyboard (all ones) gives 65535,
// 65535, where the system then places the menu; a mouse position is signed,
// as monitors left of or above the primary one have negative coordinates.
POINT popupPosition(LPARAM lParam) {
    if (static_cast<DWORD>(lParam) == 0xFFFFFFFF) return {65535, 65535};
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

LRESULT onContextMenu(HWND window, WPARAM wParam, LPARAM lParam) {
    HMENU menu = currentOwner ? currentOwner->popupMenu() : nullptr;
    // Without the plug-in's menu the editor keeps its own.
    if (!menu) return callPrevious(window, WM_CONTEXTMENU, wParam, lParam);
    // While this reply is being rebuilt (one of its boxes is up), a right
    // click is the editor's: renderings of one session never overlap.
    if (const ComposeWindowSession* session = sessionOf(window); session && session->runningOperations > 0)
        return callPrevious(window, WM_CONTEXTMENU, wParam, lParam);

    const POINT at = popupPosition(lParam);
    const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD, at.x, at.y, 0, window, nullptr);

    // Looked up only now: the menu loop may have let the window's session go.
    ComposeWindowSession* session = sessionOf(window);
    const PopupAction action = currentOwner ? currentOwner->popupActionFor(chosen) : PopupAction();
    if (action.kind == PopupAction::None) return 0;
    if (session) {
        const SessionOperation operation(*session);
        if (action.kind == PopupAction::Refresh) {
            session->refreshSignature();
        } else {
            session->rerenderWithCharset(action.charsetName);
        }
    }
    if (action.kind == PopupAction::Refresh) return 0;
    return callPrevious(window, WM_CONTEXTMENU, wParam, lParam);
}

// The editor is going. Its properties go now, whoever subclassed it after us
// (the atoms of their names would stay behind otherwise), and its session
// goes with it, so that a window that later gets the same handle starts a
// session of its own.
LRESULT onNcDestroy(HWND window, WPARAM wParam, LPARAM lParam) {
    ComposeWindowSession* session = sessionOf(window);
    const HWND key = session ? session->composeWindow : nullptr;
    const LRESULT result = callPrevious(window, WM_NCDESTROY, wParam, lParam);
    removeProperties(window);
    // Found again: the editor's own handling may have let the session go.
    session = currentOwner ? currentOwner->findSession(key) : nullptr;
    if (session && session->editorWindow == window) {
        session->subclassRecord.subclassed = false;  // nothing is left to give back
        currentOwner->removeSession(key);
    }
    return result;
}

// Keeps this module loaded until the process ends, so that a procedure of
// ours that stays in some window's chain remains callable.
void pinThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&editorWindowProc), &module);
}

}  // namespace

void setEditorOwner(EditorOwner* owner) { currentOwner = owner; }

void subclassEditor(SubclassRecord& record, HWND editorWindow) {
    if (!editorWindow || record.subclassed) return;
    record.subclassed = true;
    record.previousProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(editorWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&editorWindowProc)));
    formatPropertyName(record.procPropertyName, "SCID%.8X", editorWindow);
    formatPropertyName(record.sessionPropertyName, "SCCMID%.8X", editorWindow);
    if (!record.previousProc) {
        // Nothing was installed: properties would only leave their atoms behind.
        platform::showMessageBox("Error in IE subclass!", "Error");
        return;
    }
    SetPropA(editorWindow, record.procPropertyName, reinterpret_cast<HANDLE>(record.previousProc));
    SetPropA(editorWindow, record.sessionPropertyName, reinterpret_cast<HANDLE>(record.composeWindow));
}

void unsubclassEditor(HWND editorWindow, SubclassRecord& record) {
    if (!record.previousProc || !editorWindow || !record.subclassed) return;
    record.subclassed = false;
    // A handle that no longer names the window subclassed (it is gone, or
    // the system gave the handle to another window) is not touched.
    if (!IsWindow(editorWindow) ||
        GetPropA(editorWindow, record.procPropertyName) != reinterpret_cast<HANDLE>(record.previousProc))
        return;
    if (GetWindowLongPtrW(editorWindow, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&editorWindowProc)) {
        RemovePropA(editorWindow, record.procPropertyName);
        RemovePropA(editorWindow, record.sessionPropertyName);
        SetWindowLongPtrW(editorWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record.previousProc));
        return;
    }
    // Someone subclassed the editor after us and calls our procedure on.
    // Putting the editor's back would cut them out of the chain, and their
    // own restore would later put ours back after this module is gone. So
    // the chain and our properties stay (the procedure hands everything on
    // to the editor's), and so does the module.
    pinThisModule();
}

LRESULT CALLBACK editorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return platform::atCallbackBoundary<LRESULT>(0, [&]() -> LRESULT {
        switch (message) {
            case WM_CONTEXTMENU:
                return onContextMenu(window, wParam, lParam);
            case WM_INITMENUPOPUP:
                if (HMENU menu = currentOwner ? currentOwner->popupMenu() : nullptr;
                    menu && reinterpret_cast<HMENU>(wParam) == menu) {
                    currentOwner->enablePopupItems(menu);
                    return 0;
                }
                break;
            case WM_NCDESTROY:
                return onNcDestroy(window, wParam, lParam);
            default:
                break;
        }
        return callPrevious(window, message, wParam, lParam);
    });
}
