#include "composer/win/compose_window_session.h"

#include <cstdlib>
#include <ctime>

#include "composer/win/editor_subclass.h"

ComposeWindowSession::ComposeWindowSession(HWND composeWindow, SessionKind kind, const SessionFlags& flags,
                                           HMODULE oleaccModule, UINT getObjectMessage,
                                           ObjectFromLresultFn objectFromLresultFn)
    : ComposeSession(composeWindow, kind, flags),
      objectFromLresultFn(objectFromLresultFn),
      subclassRecord(composeWindow),
      oleaccModule(oleaccModule),
      getObjectMessage(getObjectMessage) {
    // The random signature is drawn from the C library's generator.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
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
