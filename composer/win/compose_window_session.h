// A compose session bound to a real compose window: the portable session
// plus the editor's document, the accessibility entry points and the
// editor's subclassing record.
#pragma once

#include <windows.h>
#include <mshtml.h>
#include <wrl/client.h>

#include <string>

#include "composer/win/subclass_record.h"
#include "composer/win/win_sink.h"
#include "session/compose_session.h"

using ObjectFromLresultFn = HRESULT(WINAPI*)(LRESULT result, REFIID iid, WPARAM wParam, void** object);

class ComposeWindowSession final : public ComposeSession {
public:
    ComposeWindowSession(HWND composeWindow, SessionKind kind, const SessionFlags& flags, HMODULE oleaccModule,
                         UINT getObjectMessage, ObjectFromLresultFn objectFromLresultFn);
    ~ComposeWindowSession() override;

    // The reply/forward flow with the template at `templatePath`; true when
    // the rendered HTML was handed to loadHtml.
    bool runComposeFlow(const std::string& templatePath);
    // Replaces the editor's document by `html` (silent when there is no
    // editor or document to load; throws std::bad_alloc when the text cannot
    // be handed to the document whole). Does nothing once the session is
    // detached from its window. The text is
    // released once the document's stream holds it, before the editor parses
    // it: a large reply is then not held twice while the editor builds its own.
    void loadHtml(std::string html);
    // Disconnects the latest load's sink, then lets go of the document.
    void releaseDocument();
    // Unsubclasses the editor and forgets it: nothing is loaded or
    // subclassed for the session again. The destructor runs it before it
    // releases the document, since a document's release can run the message
    // loop, which must not lead the editor to a half-destroyed session.
    void detachFromWindow();
    // Pop-up menu actions: render again under `name` ("" = automatic), or
    // put a new random signature in place of the tokens.
    void rerenderWithCharset(const std::string& name);
    void refreshSignature();

    ObjectFromLresultFn objectFromLresultFn = nullptr;
    Microsoft::WRL::ComPtr<IHTMLDocument2> document;
    // The sink of the latest load: connected until the document reports
    // that it is ready, or until the session loads another one or goes.
    Microsoft::WRL::ComPtr<CWinSink> sink;
    SubclassRecord subclassRecord;
    HMODULE oleaccModule = nullptr;
    UINT getObjectMessage = 0;
    // Operations of this session under way (see SessionOperation in
    // session_lifetime.h); a session removed meanwhile is destroyed by the last.
    int runningOperations = 0;
    bool detached = false;
};
