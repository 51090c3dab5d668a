// Menus as the host gives them to the plug-in: a menu bar whose first
// drop-down holds the host's own items, and a readable description of any
// menu's items so that tests can compare what the plug-in put there.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace wintest {

// A menu bar with one drop-down of `hostItems` items "Host item 0", ...
// (ids 100, 101, ...). Attach it to windows with attachTo; every window it
// was attached to lets go of it before the bar is destroyed, since a window
// destroys the menu it holds when it goes.
class HostMenuBar {
public:
    explicit HostMenuBar(int hostItems);
    ~HostMenuBar();
    HostMenuBar(const HostMenuBar&) = delete;
    HostMenuBar& operator=(const HostMenuBar&) = delete;

    HMENU bar() const { return bar_; }
    HMENU dropDown() const { return GetSubMenu(bar_, 0); }
    void attachTo(HWND window);

private:
    HMENU bar_ = nullptr;
    std::vector<HWND> windows_;
};

struct MenuItem {
    std::string text;     // the item's bytes as the narrow menu holds them
    UINT id = 0;          // 0 for a separator
    bool separator = false;
    bool greyed = false;  // MF_GRAYED
    bool disabled = false;  // MF_DISABLED
};

std::vector<MenuItem> menuItems(HMENU menu);

// A wide text in a code page (936 GBK, 950 Big5), as narrow menus hold it.
std::string inCodePage(const wchar_t* text, UINT codePage);

}  // namespace wintest
