#include "composer/compose_core.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "mime/charset.h"
#include "mime/inline_images.h"
#include "mime/mime_part.h"
#include "mime/part_bodies.h"
#include "platform/files.h"
#include "platform/host_api.h"
#include "platform/host_block.h"
#include "platform/host_buffer.h"
#include "platform/large_blocks.h"
#include "platform/message_box.h"
#include "session/compose_session.h"
#include "signature/signature_store.h"
#include "template/render_template.h"
#include "template/signature_html.h"
#include "text/html_text.h"
#include "text/no_case.h"

namespace {

constexpr int kMimeTypeBufferSize = 50;

// Room beyond a quoted body that the rendering may take (capacity only: the
// system gives it pages when they are written), for the template's own text
// and values around it. A rendering that needs more copies the body.
std::size_t renderingRoom(const ComposeSession& session, std::size_t bodySize) {
    constexpr std::size_t kSmallestRoom = 64 * 1024;
    return session.keepsQuotedBody ? 0 : std::max(kSmallestRoom, bodySize / 32);
}

// The message's source and its tree, which serves only to save attachments
// and pictures: the body comes from the host.
struct SourceTree {
    HostBlock text;  // declared first: the tree may read its bodies in place
    std::unique_ptr<MimePart> root;
};

// Saved bodies read in place keep the whole source while the body is
// prepared. That pays where they are at least half of it (attachments, a
// long HTML body beside them): they are then not held twice, which parsing
// would otherwise peak at. Else (a long text beside a few pictures) they
// are copied and the source goes at once, before the body's own copies
// stand beside it.
SourceTree parseSourceMessage() {
    SourceTree tree;
    tree.root = std::make_unique<MimePart>();
    tree.root->setBodyFilter(bodyIsSaved);
    tree.root->setBodiesInPlace();
    tree.text.reset(hostApi().BKA_GetSource(hostApi().BKA_GetCurrentMail()));
    // No source (a host out of memory for a large message) would answer
    // without the message's attachments and pictures, as if it had none.
    if (!tree.text) throw std::runtime_error("the host gave no source");
    const char* cursor = tree.text.get();
    tree.root->parse(cursor, nullptr);
    const auto parsed = static_cast<std::size_t>(cursor - tree.text.get());
    std::size_t inPlace = 0;
    forEachPart(*tree.root, [&](const MimePart& part) { inPlace += part.body.lengthInPlace(); });
    if (inPlace < parsed / 2) {
        forEachPart(*tree.root, [](MimePart& part) { part.body.storeLinesInPlace(); });
        tree.text.reset();
    }
    return tree;
}

// Lists the tree's pictures in one allocation: with thousands of them the
// list's doubling would hold its old copy beside the new.
void saveInlineImages(MimePart& root, ContentIdList& list) {
    std::size_t images = 0;
    forEachPart(root, [&](const MimePart& part) { images += beginsWithNoCase(part.type, "image") ? 1 : 0; });
    list.reserve(images);
    visit(root, saveInlineImage, list);
}

// Steps that read and prepare; false when the flow stops early.
bool prepare(ComposeSession& session, const std::string& templatePath, const std::function<void()>& beforeSavingFiles,
             ComposeResult& result) {
    SourceTree source = parseSourceMessage();

    {
        HostBuffer mimeType(kMimeTypeBufferSize);
        const char* body = hostApi().BKA_GetText(mimeType.data(), mimeType.size());
        if (!body) body = "";
        const std::size_t bodySize = std::strlen(body);
        if (beginsWithNoCase(mimeType.text(), "text/html")) {
            platform::reserveForWriting(session.quotedBody, bodySize + renderingRoom(session, bodySize), bodySize);
            session.quotedBody.assign(body, bodySize);
        } else if (session.convertText) {
            // Straight from the host's text: a large body is not copied first.
            session.quotedBody = plainTextToHtml(std::string_view(body, bodySize), renderingRoom(session, bodySize));
        } else {
            session.quotedBody = body;
            result.outcome = ComposeOutcome::BodyNotHtml;
            return false;
        }
    }

    const auto missingTemplate = [&] {
        platform::showMessageBox("Template " + templatePath + " not found!", "");
        result.outcome = ComposeOutcome::TemplateMissing;
        return false;
    };
    if (!platform::fileExists(templatePath)) return missingTemplate();
    // A template that exists but cannot be opened is as good as missing.
    const auto templateSource = platform::readFile(templatePath);
    if (!templateSource) return missingTemplate();

    MimePart templateRoot;
    const char* cursor = templateSource->c_str();
    templateRoot.parse(cursor, nullptr);

    if (beforeSavingFiles) beforeSavingFiles();

    visit2(*source.root, saveAttachment, session.attachments, true);

    ContentIdList contentIds;
    saveInlineImages(*source.root, contentIds);
    // Its files are written: the message's lines (as large as the message)
    // are not held while the body is rewritten and the template prepared.
    source.root.reset();
    source.text.reset();
    rewriteContentIds(session.quotedBody, contentIds);
    contentIds.clear();

    saveInlineImages(templateRoot, contentIds);
    extractHtmlPart(templateRoot, session.templateText);
    rewriteContentIds(session.templateText, contentIds);
    return true;
}

}  // namespace

std::string templatePathFor(const std::string& moduleFolder, bool forward) {
    return moduleFolder + (forward ? "torvanefwd.tml" : "torvane.tml");
}

ComposeResult composeReply(ComposeSession& session, const std::string& templatePath,
                           const std::function<void()>& beforeSavingFiles) {
    ComposeResult result;
    try {
        if (!prepare(session, templatePath, beforeSavingFiles, result)) return result;
    } catch (...) {
        platform::showMessageBox("Error in handling email!", "Error");
        result.outcome = ComposeOutcome::Failed;
        return result;
    }
    try {
        result.html = session.templateText;
        if (session.keepsQuotedBody) {
            renderTemplate(nullptr, session, session.quotedBody, result.html);
        } else {
            renderTemplateTakingBody(session, session.quotedBody, result.html);
        }
        result.outcome = ComposeOutcome::Rendered;
    } catch (...) {
        platform::showMessageBox("Error in replacing HTML!", "Error");
        result.outcome = ComposeOutcome::Failed;
        result.html.clear();
    }
    return result;
}

std::string rerenderedText(ComposeSession& session, const std::string& charsetName) {
    const std::string name = charsetName.empty() ? resolveCharset(nullptr).name : charsetName;
    std::string text = session.templateText;
    renderTemplate(name.c_str(), session, session.quotedBody, text);
    return text;
}

std::string refreshedText(ComposeSession& session) {
    std::string text = session.renderedText;
    const CharsetCode code = resolveCharset(nullptr).code;
    loadRandomSignature(session);
    if (!session.signatureIsHtml) session.signatureText = convertFromCharset(session.signatureText, code);
    replaceSignatureTokens(text, signatureHtml(session));
    return text;
}
