#include "template/render_template.h"

#include <exception>
#include <utility>

#include <boost/regex.hpp>

#include "mime/charset.h"
#include "platform/host_buffer.h"
#include "platform/message_box.h"
#include "session/compose_session.h"
#include "signature/signature_store.h"
#include "template/attachment_list.h"
#include "template/charset_text.h"
#include "template/free_header_placeholder.h"
#include "template/header_fetch.h"
#include "template/header_placeholders.h"
#include "template/identity_placeholders.h"
#include "template/local_date_placeholder.h"
#include "template/placeholder_pattern.h"
#include "template/render_stage.h"
#include "template/signature_html.h"
#include "template/signature_placeholders.h"
#include "template/single_pass.h"

namespace {

constexpr const char* kErrorCaption = "Error!";

// One bad phase must not stop the rendering: its regex error is shown and
// the next step runs on the text as the phase left it.
template <typename Step>
void runRegexGuarded(Step step) {
    try {
        step();
    } catch (const boost::regex_error& error) {
        platform::showMessageBox(error.what(), kErrorCaption);
    }
}

// Steps 12 to 15: the single pass, storing the rendering, converting a
// freshly drawn signature and putting the signature in place of the tokens.
void finishRendering(std::string& text, ComposeSession& session, const SinglePass& pass, CharsetCode code,
                     bool firstRendering) {
    enterRenderStage(RenderStage::SinglePass);
    pass.apply(text);
    enterRenderStage(RenderStage::StoreRendered);
    // The rendering moves into the session, and the final text is built from
    // it in the buffer of the rendering it replaces: a large quoted body is
    // then neither copied once more nor given fresh memory twice.
    std::string finalText;
    if (session.keepsRenderedText) {
        finalText = std::exchange(session.renderedText, std::move(text));
        finalText.clear();
        text.clear();
    }
    try {
        if (firstRendering) {
            enterRenderStage(RenderStage::ConvertSignature);
            session.signatureText = convertFromCharset(session.signatureText, code);
        }
        enterRenderStage(RenderStage::SignatureTokens);
        if (session.keepsRenderedText) {
            appendWithSignatureTokensReplaced(finalText, session.renderedText, signatureHtml(session));
            text.swap(finalText);
        } else {
            // Replaced whole or not at all: on a failure the text is the
            // rendering, as below.
            replaceSignatureTokens(text, signatureHtml(session));
        }
    } catch (...) {
        if (session.keepsRenderedText) text = session.renderedText;
        throw;
    }
}

// `takenBody`: quotedBody itself, whose memory the pass may take; null
// where the body is kept.
void render(const char* charsetName, ComposeSession& session, const std::string& quotedBody,
            std::string* takenBody, std::string& text) {
    SinglePass pass;
    HostBuffer headerBuffer(kHeaderBufferSize);
    const bool firstRendering = charsetName == nullptr;
    const ResolvedCharset charset = resolveCharset(charsetName);
    InsertedText inserted;  // what the loop phases put in: %D leaves it as it is

    runRegexGuarded([&] {  // guard A
        if (session.resetCharset) {
            enterRenderStage(RenderStage::MetaCharset);
            rewriteMetaCharset(text, charset.name);
        }
        runCharsetTextPhase(text, inserted, charset.code);
    });

    registerHeaderPlaceholders(pass, headerBuffer, session, charset.code);

    runRegexGuarded([&] { runNamedSignaturePhase(text, inserted, session, charset.code); });  // guard B

    try {  // guard C
        registerIdentityPlaceholders(pass, charset.code);
    } catch (...) {
        platform::showMessageBox("Error in loading mailbox.ini!", kErrorCaption);
    }

    runRegexGuarded([&] { runAttachmentListPhases(text, inserted, session, charset.code); });  // guard D
    runRegexGuarded([&] {  // guard E
        runFreeHeaderPhase(text, inserted, headerBuffer, charset.code);
        runLocalDatePhase(text, inserted, headerBuffer, session, charset.code);
    });

    if (firstRendering) loadRandomSignature(session);

    pass.registerPlaceholder(kSignatureToken, placeholderPattern("R"));
    if (takenBody) {
        pass.registerTakenPlaceholder(*takenBody, placeholderPattern("m"));
    } else {
        pass.registerBorrowedPlaceholder(quotedBody, placeholderPattern("m"));
    }
    pass.registerPlaceholder("%", "%%");

    try {  // guard F
        finishRendering(text, session, pass, charset.code, firstRendering);
    } catch (const boost::regex_error&) {
        platform::showMessageBox("Regular expression error! ", kErrorCaption);
    }
}

}  // namespace

void renderTemplate(const char* charsetName, ComposeSession& session, const std::string& quotedBody,
                    std::string& text) {
    render(charsetName, session, quotedBody, nullptr, text);
}

void renderTemplateTakingBody(ComposeSession& session, std::string& quotedBody, std::string& text) {
    render(nullptr, session, quotedBody, &quotedBody, text);
}
