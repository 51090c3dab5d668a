// The plug-in's menu items: the host's command ids for them, the compose
// pop-up menu, and the two menus the host hands to BKC_OnMenuInit.
#pragma once

#include <windows.h>

#include <array>

#include "composer/win/editor_subclass.h"
#include "platform/win/owned.h"

// The charset items of the compose pop-up menu, top to bottom; each is
// registered under its own name and labelled with it in every language.
inline constexpr std::array<const char*, 10> kPopupCharsetNames = {
    "GB2312", "GB18030", "HZ-GB-2312", "BIG5", "UTF-8", "UTF-7", "US-ASCII", "ISO-8859-1", "ISO-8859-2", "ISO-8859-15"};

// Menu kinds: the host's code for where a menu or a command belongs.
inline constexpr int kMainMenuKind = 0;              // the main window's menu bar
inline constexpr int kComposeMenuKind = 10;          // compose windows (the pop-up menu)
inline constexpr int kTemplateWindowMenuKind = 11;  // the save item of a template-editing window

struct MenuCommands {
    int editReplyCommandId = 0;
    int editForwardCommandId = 0;
    // -1 until "SaveTemplate" is registered for a template-editing window.
    int saveTemplateCommandId = -1;

    // Built for compose windows; the latest one built is the one shown.
    platform::OwnedMenu composePopupMenu;
    int refreshCommandId = 0;
    int autoCommandId = 0;
    std::array<int, kPopupCharsetNames.size()> charsetCommandIds = {};
};

MenuCommands& menuCommands();

// Menu kind 0: the two edit-template items at positions 9 and 10 of the
// menu bar's first drop-down.
void addEditTemplateItems(HMENU menuBar);

// Menu kind 10: a new compose pop-up menu (refresh, separator, automatic,
// the ten charsets) replacing, and destroying, an earlier one.
void buildComposePopupMenu();

void destroyComposePopupMenu();

// The compose pop-up menu opening: only the refresh item unless ResetCharset
// is on now.
void enablePopupItems(HMENU menu);

// What a command chosen from the compose pop-up menu asks for.
PopupAction popupActionFor(int commandId);
