#include "shell/win/menu_commands.h"

#include "platform/host_api.h"
#include "platform/no_destructor.h"
#include "session/settings.h"
#include "shell/captions.h"
#include "shell/module_paths.h"
#include "shell/win/template_commands.h"

namespace {

constexpr UINT kEditReplyPosition = 9;
constexpr UINT kEditForwardPosition = 10;
constexpr UINT kGreyed = MF_BYCOMMAND | MF_GRAYED | MF_DISABLED;

// The pop-up menu is tracked by the editor's window procedure, which acts on
// the returned id itself; the host only hands out the ids.
void BKA_CALL onPopupCommand(HostWindow /*window*/, int /*commandId*/) {}

const char* textOrEmpty(const char* text) { return text ? text : ""; }

void insertItem(HMENU menu, UINT position, int commandId, const char* caption) {
    InsertMenuA(menu, position, MF_BYPOSITION | MF_STRING, static_cast<UINT_PTR>(commandId), textOrEmpty(caption));
}

int appendCommand(HMENU menu, const char* name, const char* caption) {
    const int id = hostApi().BKA_RegisterCommand(name, kComposeMenuKind, &onPopupCommand);
    AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(id), textOrEmpty(caption));
    return id;
}

}  // namespace

MenuCommands& menuCommands() {
    // Destroyed by BKC_OnExit, never by the module's detach.
    static platform::NoDestructor<MenuCommands> commands;
    return commands.get();
}

void addEditTemplateItems(HMENU menuBar) {
    MenuCommands& commands = menuCommands();
    HMENU dropDown = GetSubMenu(menuBar, 0);
    commands.editReplyCommandId = hostApi().BKA_RegisterCommand("EditHTMLReply", kMainMenuKind, &onEditTemplate);
    insertItem(dropDown, kEditReplyPosition, commands.editReplyCommandId, editReplyCaption());
    commands.editForwardCommandId = hostApi().BKA_RegisterCommand("EditHTMLForward", kMainMenuKind, &onEditTemplate);
    insertItem(dropDown, kEditForwardPosition, commands.editForwardCommandId, editForwardCaption());
}

void buildComposePopupMenu() {
    MenuCommands& commands = menuCommands();
    // A second build replaces the first; the menu it replaces would
    // otherwise never be destroyed.
    commands.composePopupMenu.reset(CreatePopupMenu());
    HMENU menu = commands.composePopupMenu.get();
    commands.refreshCommandId = appendCommand(menu, "Refresh HTML", refreshCaption());
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    commands.autoCommandId = appendCommand(menu, "Auto", autoCaption());
    for (std::size_t i = 0; i < kPopupCharsetNames.size(); ++i) {
        commands.charsetCommandIds[i] = appendCommand(menu, kPopupCharsetNames[i], kPopupCharsetNames[i]);
    }
}

void destroyComposePopupMenu() { menuCommands().composePopupMenu.reset(); }

void enablePopupItems(HMENU menu) {
    const MenuCommands& commands = menuCommands();
    const UINT charsetItems = readResetCharset(settingsPath()) ? MF_BYCOMMAND | MF_ENABLED : kGreyed;
    EnableMenuItem(menu, static_cast<UINT>(commands.refreshCommandId), MF_BYCOMMAND | MF_ENABLED);
    EnableMenuItem(menu, static_cast<UINT>(commands.autoCommandId), charsetItems);
    for (int id : commands.charsetCommandIds) EnableMenuItem(menu, static_cast<UINT>(id), charsetItems);
}

PopupAction popupActionFor(int commandId) {
    const MenuCommands& commands = menuCommands();
    // 0 is a dismissed menu, whatever the host handed out.
    if (commandId == 0) return {};
    if (commandId == commands.refreshCommandId) return {PopupAction::Refresh, {}};
    if (commandId == commands.autoCommandId) return {PopupAction::Rerender, {}};
    for (std::size_t i = 0; i < kPopupCharsetNames.size(); ++i) {
        if (commandId == commands.charsetCommandIds[i]) return {PopupAction::Rerender, kPopupCharsetNames[i]};
    }
    return {};
}
