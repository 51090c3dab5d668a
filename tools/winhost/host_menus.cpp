#include "tools/winhost/host_menus.h"

#include <stdexcept>

namespace wintest {

HostMenuBar::HostMenuBar(int hostItems) : bar_(CreateMenu()) {
    HMENU dropDown = CreatePopupMenu();
    if (!bar_ || !dropDown) throw std::runtime_error("cannot create the host's menus");
    for (int i = 0; i < hostItems; ++i) {
        AppendMenuA(dropDown, MF_STRING, static_cast<UINT_PTR>(100 + i), ("Host item " + std::to_string(i)).c_str());
    }
    AppendMenuA(bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(dropDown), "File");
}

HostMenuBar::~HostMenuBar() {
    for (HWND window : windows_) {
        if (IsWindow(window) && GetMenu(window) == bar_) SetMenu(window, nullptr);
    }
    DestroyMenu(bar_);
}

void HostMenuBar::attachTo(HWND window) {
    if (!SetMenu(window, bar_)) throw std::runtime_error("cannot attach the host's menu bar");
    windows_.push_back(window);
}

std::vector<MenuItem> menuItems(HMENU menu) {
    std::vector<MenuItem> items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MenuItem item;
        char text[100] = {};
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        item.text = text;
        const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        item.separator = (state & MF_SEPARATOR) != 0;
        item.greyed = (state & MF_GRAYED) != 0;
        item.disabled = (state & MF_DISABLED) != 0;
        item.id = item.separator ? 0 : GetMenuItemID(menu, i);
        items.push_back(item);
    }
    return items;
}

std::string inCodePage(const wchar_t* text, UINT codePage) {
    char bytes[200] = {};
    const int length = WideCharToMultiByte(codePage, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    if (length <= 0) throw std::runtime_error("code page " + std::to_string(codePage) + " is not available");
    return bytes;
}

}  // namespace wintest
