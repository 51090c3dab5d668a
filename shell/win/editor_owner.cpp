#include "shell/win/editor_owner.h"

#include "composer/win/editor_subclass.h"
#include "shell/win/menu_commands.h"
#include "shell/win/plugin_state.h"

namespace {

class PluginEditorOwner final : public EditorOwner {
public:
    ComposeWindowSession* findSession(HWND composeWindow) override { return ::findSession(composeWindow); }
    void removeSession(HWND composeWindow) override { ::removeSession(composeWindow); }
    HMENU popupMenu() override { return menuCommands().composePopupMenu.get(); }
    void enablePopupItems(HMENU menu) override { ::enablePopupItems(menu); }
    PopupAction popupActionFor(int commandId) override { return ::popupActionFor(commandId); }
};

// Stateless, with nothing to destroy when the module unloads.
PluginEditorOwner pluginEditorOwner;

}  // namespace

void installEditorOwner() { setEditorOwner(&pluginEditorOwner); }

void removeEditorOwner() { setEditorOwner(nullptr); }
