#include "shell/win/template_commands.h"

#include <optional>
#include <string>

#include "composer/compose_core.h"
#include "platform/callback_boundary.h"
#include "platform/files.h"
#include "platform/host_api.h"
#include "platform/host_block.h"
#include "platform/message_box.h"
#include "shell/captions.h"
#include "shell/module_paths.h"
#include "shell/win/menu_commands.h"
#include "shell/win/plugin_state.h"

namespace {

constexpr UINT kSaveTemplatePosition = 12;

void addSaveTemplateItem(HWND composeWindow) {
    MenuCommands& commands = menuCommands();
    HMENU dropDown = GetSubMenu(GetMenu(composeWindow), 0);
    // Compose windows are expected to share one menu, so the save item of an
    // earlier template window sits at the position the new one takes. Only
    // that item goes: a menu of the window's own keeps the host's item there.
    if (commands.saveTemplateCommandId > 0 &&
        GetMenuItemID(dropDown, static_cast<int>(kSaveTemplatePosition)) ==
            static_cast<UINT>(commands.saveTemplateCommandId)) {
        DeleteMenu(dropDown, kSaveTemplatePosition, MF_BYPOSITION);
    }
    loadCaptions(settingsPath());
    commands.saveTemplateCommandId = hostApi().BKA_RegisterCommand("SaveTemplate", kTemplateWindowMenuKind, &onSaveTemplate);
    const char* caption = saveTemplateCaption();
    InsertMenuA(dropDown, kSaveTemplatePosition, MF_BYPOSITION | MF_STRING,
                static_cast<UINT_PTR>(commands.saveTemplateCommandId), caption ? caption : "");
    EnableMenuItem(dropDown, static_cast<UINT>(commands.saveTemplateCommandId), MF_BYCOMMAND | MF_GRAYED);
}

void editTemplate(int commandId) {
    const MenuCommands& commands = menuCommands();
    const bool forward = commandId == commands.editForwardCommandId;
    if (!forward && commandId != commands.editReplyCommandId) {
        platform::showMessageBox("Error in menu item, the template cannot be edited!", "");
        return;
    }
    const std::string path = templatePathFor(moduleFolder(), forward);
    const std::string notFound = forward ? "Cannot access the template file torvanefwd.tml!"
                                         : "Cannot access the template file torvane.tml!";
    if (!platform::fileExists(path)) {
        platform::showMessageBox(notFound, "");
        return;
    }
    // A file that exists but cannot be opened is as inaccessible as a missing one.
    const std::optional<std::string> text = platform::readFile(path);
    if (!text) {
        platform::showMessageBox(notFound, "");
        return;
    }

    HWND composeWindow = hostApi().BKA_ComposeMail("");
    if (!composeWindow) return;
    // The plug-in has just opened this window: a session still registered
    // under its handle belongs to an earlier window that had it.
    removeSession(composeWindow);
    registerSession(composeWindow, forward ? SessionKind::EditForwardTemplate : SessionKind::EditReplyTemplate);
    hostApi().BKA_CompSetSource(composeWindow, text->c_str());
    addSaveTemplateItem(composeWindow);
}

void saveTemplate(HostWindow window) {
    HostBlock source(hostApi().BKA_CompGetSource(window));
    // Only a window opened to edit a template has a template to write to;
    // any other composition must not overwrite one.
    const ComposeWindowSession* session = findSession(window);
    if (!session || !source) return;
    if (session->kind != SessionKind::EditReplyTemplate && session->kind != SessionKind::EditForwardTemplate) return;
    const bool forward = session->kind == SessionKind::EditForwardTemplate;
    platform::writeFile(source.get(), templatePathFor(moduleFolder(), forward));
}

}  // namespace

void BKA_CALL onEditTemplate(HostWindow /*window*/, int commandId) {
    platform::atCallbackBoundary([&] { editTemplate(commandId); });
}

void BKA_CALL onSaveTemplate(HostWindow window, int /*commandId*/) {
    platform::atCallbackBoundary([&] { saveTemplate(window); });
}
