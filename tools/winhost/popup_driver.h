// Driving the editor's pop-up menu from a test: the system's menu loop runs
// for real and reads keystrokes posted while it is up; the menu's calls and
// the messages the plug-in hands on to the editor are recorded.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "tools/winhost/host_menus.h"
#include "tools/winhost/import_hook.h"

namespace wintest {

// Items of the pop-up menu, from the top (the separator is item 1).
enum PopupItem { Refresh = 0, Auto = 2, Gb2312 = 3, Big5 = 6, Iso885915 = 12 };

// Stands in for TrackPopupMenu in the plug-in's imports: records what the
// plug-in asked for, posts the keystrokes of the next choice into the
// thread's queue, and lets the system's menu loop read them.
class MenuDriver {
public:
    struct Call {
        HMENU menu;
        UINT flags;
        int x, y;
        HWND owner;
        std::vector<MenuItem> items;  // as the menu was shown
        BOOL result;
    };

    explicit MenuDriver(HMODULE plugin);
    ~MenuDriver();
    MenuDriver(const MenuDriver&) = delete;
    MenuDriver& operator=(const MenuDriver&) = delete;

    // The next menu: Home (the first item), Down to the item, Enter; then
    // Escape, which closes a menu still up because the item could not be
    // chosen. A menu shown without either is dismissed.
    void choose(PopupItem item);
    // The same for the item whose text is `text` (any letter case), found in
    // the menu as the plug-in shows it; a menu without it is dismissed.
    void choose(const std::string& text);
    void dismiss();

    const std::vector<Call>& calls() const { return calls_; }
    const Call& last() const { return calls_.back(); }

private:
    static BOOL WINAPI track(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect);

    static MenuDriver* current_;
    ImportHook hook_;
    decltype(&TrackPopupMenu) original_ = nullptr;
    std::vector<std::pair<UINT, WPARAM>> keys_;
    std::string itemText_;  // the item to find in the next menu, when not empty
    std::vector<Call> calls_;
};

// Sits between the plug-in's window procedure and the editor's own one (in
// the property where the plug-in keeps the editor's procedure) and counts
// the context-menu messages handed on. Must go before the plug-in lets go
// of the editor.
class PassedOn {
public:
    explicit PassedOn(HWND editor);
    ~PassedOn();
    PassedOn(const PassedOn&) = delete;
    PassedOn& operator=(const PassedOn&) = delete;

    bool installed() const { return editorProc_ != nullptr; }
    int contextMenus() const { return contextMenus_; }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND editor_;
    std::string name_;
    WNDPROC editorProc_ = nullptr;
    int contextMenus_ = 0;
};

// "SCID%.8X" / "SCCMID%.8X" with the window.
std::string procedurePropertyName(HWND window);
std::string sessionPropertyName(HWND window);

}  // namespace wintest
