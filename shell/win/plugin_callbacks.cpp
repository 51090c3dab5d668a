#include "shell/win/plugin_callbacks.h"

#include <cstdio>
#include <string>

#include "composer/compose_core.h"
#include "composer/win/editor_subclass.h"
#include "platform/callback_boundary.h"
#include "platform/host_api.h"
#include "platform/message_box.h"
#include "shell/captions.h"
#include "shell/compose_open_rules.h"
#include "shell/module_paths.h"
#include "shell/plugin_version.h"
#include "shell/win/editor_owner.h"
#include "shell/win/menu_commands.h"
#include "shell/win/plugin_state.h"

namespace {

constexpr const char* kPlugInName = "testtorvne";
constexpr const char* kPlugInMaker = "Kestrum";
constexpr const char* kPlugInDescription = "torvane in new way";

void openCompose(HWND window, int mode) {
    const ComposeAnswer answer = composeAnswerFor(mode);
    if (answer == ComposeAnswer::None) return;
    const char* folder = hostApi().BKA_GetCurrentFolder();
    if (isDraftOrOutboxFolder(folder ? folder : "")) return;
    if (!registerSession(window, SessionKind::Compose)) return;
    ComposeWindowSession* session = findSession(window);
    const SessionOperation operation(*session);
    // A session removed while one of the flow's boxes was up has no editor.
    if (session->runComposeFlow(templatePathFor(moduleFolder(), answer == ComposeAnswer::Forward)) &&
        session->editorWindow) {
        subclassEditor(session->subclassRecord, session->editorWindow);
    }
}

}  // namespace

extern "C" {

int WINAPI BKC_OnStart() {
    return platform::atCallbackBoundary(0, [] {
        HWND mainWindow = nullptr, treeView = nullptr, listView = nullptr, messageView = nullptr;
        hostApi().BKA_GetWindowHandles(&mainWindow, &treeView, &listView, &messageView);
        createPluginState();
        menuCommands().saveTemplateCommandId = -1;
        installEditorOwner();
        return 0;
    });
}

int WINAPI BKC_OnExit() {
    return platform::atCallbackBoundary(0, [] {
        // An editor still subclassed from here on hands every message on.
        removeEditorOwner();
        // The pop-up menu and the ids belong to this run of the host.
        menuCommands() = MenuCommands();
        // The sessions go with the state: their editors unsubclassed, their
        // sinks disconnected and their documents released.
        destroyPluginState();
        releaseCaptions();
        return 0;
    });
}

int WINAPI BKC_OnMenuInit(HWND /*window*/, HMENU menu, int kind) {
    return platform::atCallbackBoundary(0, [&] {
        loadCaptions(settingsPath());
        if (kind == kMainMenuKind) addEditTemplateItems(menu);
        if (kind == kComposeMenuKind) buildComposePopupMenu();
        return 0;
    });
}

int WINAPI BKC_OnOpenCompose(HWND window, int mode) {
    return platform::atCallbackBoundary(0, [&] {
        openCompose(window, mode);
        return 0;
    });
}

int WINAPI BKC_OnKeyDispatch(HWND /*window*/, int /*key*/, int /*shift*/) { return 0; }

int WINAPI BKC_OnPlugInSetup(HWND /*window*/) {
    return platform::atCallbackBoundary(1, [] {
        char text[32];
        std::snprintf(text, sizeof text, "testtorvane [%s]", kPlugInVersion);
        platform::showMessageBox(text, "Version");
        return 1;
    });
}

int WINAPI BKC_OnPlugInInfo(PlugInInfoRecord* record) {
    return platform::atCallbackBoundary(0, [&] {
        if (!record) return 0;
        lstrcpynA(record->name, kPlugInName, sizeof record->name);
        lstrcpynA(record->maker, kPlugInMaker, sizeof record->maker);
        lstrcpynA(record->version, kPlugInVersion, sizeof record->version);
        lstrcpynA(record->description, kPlugInDescription, sizeof record->description);
        return 0;
    });
}

}  // extern "C"
