// What the host sees of the plug-in before any mail is handled, checked the
// same way by the separate cases and by the shipping scenario: the host's
// exports the plug-in binds, the callbacks' exports, the information record,
// the version box and the English captions of the plug-in's menu items.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/wine/host_fixture.h"
#include "tools/winhost/message_box_catcher.h"

namespace wintest {

inline constexpr char kEnglishReply[] = "Edit replying template";
inline constexpr char kEnglishForward[] = "Edit forwarding template";
inline constexpr char kEnglishSave[] = "Save replying/forwarding template";

// The commands BKC_OnMenuInit registers for the compose pop-up menu, in the
// menu's order (the separator has none).
const std::vector<std::string>& popupCommandNames();

// Every BKA_ name of the host interface resolves in this executable by its
// plain name, the way the plug-in asks for it (an i686 build must not leave
// the "@bytes" of its stdcall names in the export table).
void expectHostExportsEveryName();

// The seven callbacks are exported by name and at the ordinals the host's
// plug-in loader knows them by.
void expectCallbacksAtTheirOrdinals(HMODULE plugin);

// BKC_OnPlugInInfo returns 0 and fills the four fields of a host record at
// offsets 0, 80, 160 and 240, writing nothing past their terminators.
void expectInfoRecordFilled(const PluginCallbacks& plugin);

// The boxes BKC_OnPlugInSetup showed: one, naming the plug-in's version.
void expectVersionBox(const std::vector<CaughtBox>& boxes);

}  // namespace wintest
