#include "composer/compose_core.h"

#include <algorithm>
#include <cctype>

#include "mime/charset.h"
#include "mime/inline_images.h"
#include "mime/mime_part.h"
#include "mime/part_bodies.h"
#include "platform/files.h"
#include "platform/host_api.h"
#include "platform/host_buffer.h"
#include "platform/message_box.h"
#include "session/compose_session.h"
#include "signature/signature_store.h"
#include "text/html_text.h"
#include "template/render_template.h"
#include "template/signature_html.h"
#include "text/no_case.h"

namespace {

constexpr int kMimeTypeBufferSize = 50;
constexpr int kLineBufferSize = 0x7fff;  // one line of a plain-text body, NUL included


bool isBlankLine(const std::string& line) {
    return line.find_first_not_of(" \r\n") == std::string::npos;
}

void parseSourceMessage(MimePart& root) {
    const char* mailId = hostApi().BKA_GetCurrentMail();
    char* source = hostApi().BKA_GetSource(mailId);
    const char* cursor = source ? source : "";
    root.parse(cursor, nullptr);
    if (source) hostApi().BKA_Free(source);
}

// Steps that read and prepare; false when the flow stops early.
bool prepare(ComposeSession& session, const std::string& templatePath, const std::function<void()>& beforeSavingFiles,
             ComposeResult& result) {
    MimePart sourceRoot;
    parseSourceMessage(sourceRoot);

    {
        HostBuffer mimeType(kMimeTypeBufferSize);
        const char* body = hostApi().BKA_GetText(mimeType.data(), mimeType.size());
        session.quotedBody = body ? body : "";
        if (!beginsWithNoCase(mimeType.text(), "text/html")) {
            if (!session.convertText) {
                result.outcome = ComposeOutcome::BodyNotHtml;
                return false;
            }
            session.quotedBody = plainTextToHtml(session.quotedBody);
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

    visit2(sourceRoot, saveAttachment, session.attachments, true);

    ContentIdList contentIds;
    visit(sourceRoot, saveInlineImage, contentIds);
    rewriteContentIds(session.quotedBody, contentIds);
    contentIds.clear();

    visit(templateRoot, saveInlineImage, contentIds);
    extractHtmlPart(templateRoot, session.templateText);
    rewriteContentIds(session.templateText, contentIds);
    return true;
}

}  // namespace

std::string templatePathFor(const std::string& moduleFolder, bool forward) {
    return moduleFolder + (forward ? "torvanefwd.tml" : "torvane.tml");
}

std::string plainTextToHtml(const std::string& text) {
    const std::string escaped = htmlEscapeAngles(text);
    // The host-sized line buffer bounds one line; a longer line goes on in
    // the next div rather than being lost.
    HostBuffer lineBuffer(kLineBufferSize);
    const std::size_t maxLine = static_cast<std::size_t>(lineBuffer.size() - 1);
    std::string html;
    std::size_t position = 0;
    for (;;) {
        const std::size_t lineEnd = std::min(escaped.find('\n', position), escaped.size());
        const std::size_t pieceEnd = std::min(lineEnd, position + maxLine);
        const std::string line = escaped.substr(position, pieceEnd - position);
        if (isBlankLine(line)) {
            html += "<div>&nbsp;</div>";
        } else {
            html += "<div>" + line + "</div>";
        }
        if (pieceEnd < lineEnd) {
            position = pieceEnd;
            continue;
        }
        if (lineEnd == escaped.size()) break;
        position = lineEnd + 1;
    }
    return html;
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
        renderTemplate(nullptr, session, session.quotedBody, result.html);
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
