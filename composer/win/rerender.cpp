// The pop-up menu's two ways of rebuilding a reply: rendering it again under
// another character set, and putting a new random signature into it.
#include <docobj.h>

#include "composer/compose_core.h"
#include "composer/win/html_ids.h"
#include "platform/message_box.h"
#include "composer/win/compose_window_session.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr DWORD kEditorCommand = 23;

// The browser's own editing command, sent before the document is replaced;
// its outcome does not matter.
void runEditorCommand(IHTMLDocument2* document) {
    if (!document) return;
    ComPtr<IOleCommandTarget> target;
    if (FAILED(document->QueryInterface(IID_PPV_ARGS(target.GetAddressOf())))) return;
    target->Exec(&kCgidMshtml, kEditorCommand, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
}

template <typename MakeText>
void reload(ComposeWindowSession& session, MakeText makeText) {
    if (!session.composeWindow || !session.editorWindow) return;
    runEditorCommand(session.document.Get());
    try {
        session.loadHtml(makeText());
    } catch (...) {
        platform::showMessageBox("Error in refreshing email!", "Error");
    }
}

}  // namespace

void ComposeWindowSession::rerenderWithCharset(const std::string& name) {
    reload(*this, [&] { return rerenderedText(*this, name); });
}

void ComposeWindowSession::refreshSignature() {
    reload(*this, [&] { return refreshedText(*this); });
}
