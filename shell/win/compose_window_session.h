// A compose session bound to a real compose window: the portable session
// plus the editor's document, the accessibility entry points and the
// editor's subclassing record.
#pragma once

#include <windows.h>
#include <mshtml.h>
#include <wrl/client.h>

#include <string>

#include "composer/win/subclass_record.h"
#include "shell/compose_session.h"

using ObjectFromLresultFn = HRESULT(WINAPI*)(LRESULT result, REFIID iid, WPARAM wParam, void** object);

class ComposeWindowSession final : public ComposeSession {
public:
    ComposeWindowSession(HWND composeWindow, SessionKind kind, HMODULE oleaccModule, UINT getObjectMessage,
                         ObjectFromLresultFn objectFromLresultFn);
    ~ComposeWindowSession() override;

    // The reply/forward flow; true when the rendered HTML was handed to loadHtml.
    bool runComposeFlow(bool forward);
    // Replaces the editor's document by `html` (silent on failure).
    void loadHtml(const std::string& html);
    // Pop-up menu actions: render again under `name` ("" = automatic), or
    // put a new random signature in place of the tokens.
    void rerenderWithCharset(const std::string& name);
    void refreshSignature();

    ObjectFromLresultFn objectFromLresultFn = nullptr;
    Microsoft::WRL::ComPtr<IHTMLDocument2> document;
    SubclassRecord subclassRecord;
    HMODULE oleaccModule = nullptr;
    UINT getObjectMessage = 0;
};
