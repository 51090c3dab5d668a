#include "shell/win/compose_window_session.h"

#include <cstdlib>
#include <ctime>

#include "composer/win/editor_subclass.h"
#include "session/settings.h"
#include "shell/module_paths.h"

ComposeWindowSession::ComposeWindowSession(HWND composeWindow, SessionKind kind, HMODULE oleaccModule,
                                           UINT getObjectMessage, ObjectFromLresultFn objectFromLresultFn)
    : ComposeSession(composeWindow, kind),
      objectFromLresultFn(objectFromLresultFn),
      subclassRecord(composeWindow),
      oleaccModule(oleaccModule),
      getObjectMessage(getObjectMessage) {
    // The random signature is drawn from the C library's generator.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    const SessionFlags flags = readSessionFlags(settingsPath());
    convertText = flags.convertText;
    resetCharset = flags.resetCharset;
    language = flags.language;
}

ComposeWindowSession::~ComposeWindowSession() {
    detachFromWindow();
    releaseDocument();
    quotedBody.clear();
    templateText.clear();
    renderedText.clear();
    signatureText.clear();
    attachments.clear();
}

void ComposeWindowSession::detachFromWindow() {
    if (editorWindow) unsubclassEditor(editorWindow, subclassRecord);
    editorWindow = nullptr;
    detached = true;
}
