#include "tools/winhost/popup_driver.h"

#include <cstdio>
#include <map>
#include <utility>

namespace wintest {
namespace {

std::string propertyName(const char* format, HWND window) {
    char name[100];
    std::snprintf(name, sizeof name, format, static_cast<unsigned>(reinterpret_cast<UINT_PTR>(window)));
    return name;
}

std::map<HWND, PassedOn*>& recorders() {
    static std::map<HWND, PassedOn*> all;
    return all;
}

}  // namespace

std::string procedurePropertyName(HWND window) { return propertyName("SCID%.8X", window); }
std::string sessionPropertyName(HWND window) { return propertyName("SCCMID%.8X", window); }

MenuDriver* MenuDriver::current_ = nullptr;

MenuDriver::MenuDriver(HMODULE plugin)
    : hook_(plugin, "USER32.dll", "TrackPopupMenu", reinterpret_cast<void*>(&MenuDriver::track)) {
    current_ = this;
    original_ = reinterpret_cast<decltype(&TrackPopupMenu)>(hook_.original());
}

MenuDriver::~MenuDriver() { current_ = nullptr; }

void MenuDriver::choose(PopupItem item) {
    itemText_.clear();
    keys_ = {{WM_KEYDOWN, VK_HOME}};
    // From the first item, Down skips the separator.
    for (int i = Auto; i <= item; ++i) keys_.push_back({WM_KEYDOWN, VK_DOWN});
    // Enter as the character the menu loop acts on, ahead of the Escape.
    keys_.push_back({WM_CHAR, '\r'});
    keys_.push_back({WM_KEYDOWN, VK_ESCAPE});
}

void MenuDriver::choose(const std::string& text) {
    keys_.clear();
    itemText_ = text;
}

void MenuDriver::dismiss() {
    itemText_.clear();
    keys_ = {{WM_KEYDOWN, VK_ESCAPE}};
}

BOOL WINAPI MenuDriver::track(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect) {
    MenuDriver& self = *current_;
    if (!self.itemText_.empty()) {
        const std::vector<MenuItem> items = menuItems(menu);
        const std::string wanted = std::exchange(self.itemText_, std::string());
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i].separator || lstrcmpiA(items[i].text.c_str(), wanted.c_str()) != 0) continue;
            // Home, then Down past every item before it but the separators the menu skips.
            self.keys_ = {{WM_KEYDOWN, VK_HOME}};
            for (std::size_t k = 1; k <= i; ++k)
                if (!items[k].separator) self.keys_.push_back({WM_KEYDOWN, VK_DOWN});
            self.keys_.push_back({WM_CHAR, '\r'});
            self.keys_.push_back({WM_KEYDOWN, VK_ESCAPE});
            break;
        }
    }
    // A menu nobody asked for is dismissed, as an unexpected one would be.
    if (self.keys_.empty()) self.dismiss();
    for (const auto& key : self.keys_) PostMessageA(owner, key.first, key.second, 0);
    self.keys_.clear();
    const BOOL result = self.original_(menu, flags, x, y, reserved, owner, rect);
    // Keys the menu did not take must not reach anything else.
    MSG left;
    while (PeekMessageA(&left, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    self.calls_.push_back({menu, flags, x, y, owner, menuItems(menu), result});
    return result;
}

PassedOn::PassedOn(HWND editor) : editor_(editor), name_(procedurePropertyName(editor)) {
    editorProc_ = reinterpret_cast<WNDPROC>(GetPropA(editor, name_.c_str()));
    recorders()[editor] = this;
    SetPropA(editor, name_.c_str(), reinterpret_cast<HANDLE>(&PassedOn::procedure));
}

PassedOn::~PassedOn() {
    if (IsWindow(editor_)) SetPropA(editor_, name_.c_str(), reinterpret_cast<HANDLE>(editorProc_));
    recorders().erase(editor_);
}

LRESULT CALLBACK PassedOn::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PassedOn* self = recorders().at(window);
    if (message == WM_CONTEXTMENU) ++self->contextMenus_;
    return CallWindowProcW(self->editorProc_, window, message, wParam, lParam);
}

}  // namespace wintest
