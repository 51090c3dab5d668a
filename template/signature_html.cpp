#include "template/signature_html.h"

#include <cstring>

#include "platform/find_byte.h"
#include "session/compose_session.h"
#include "text/html_text.h"

std::string signatureHtml(const ComposeSession& session) {
    return session.signatureIsHtml ? session.signatureText : textToHtml(session.signatureText);
}

// A plain search rather than the regular expression "((?<!%)%RANDOM-SIGN)":
// the same matches (the token cannot overlap itself), but the rendered text
// holds the whole quoted body and a regex scan of it is far too slow.
void appendWithSignatureTokensReplaced(std::string& output, const std::string& text,
                                       const std::string& signatureHtml) {
    const std::size_t tokenLength = std::strlen(kSignatureToken);
    output.reserve(output.size() + text.size());
    std::size_t start = 0;
    for (std::size_t found = platform::findText(text, kSignatureToken); found != std::string::npos;
         found = platform::findText(text, kSignatureToken, found + tokenLength)) {
        if (found > 0 && text[found - 1] == '%') continue;
        output.append(text, start, found - start);
        output += signatureHtml;
        start = found + tokenLength;
    }
    output.append(text, start, std::string::npos);
}

void replaceSignatureTokens(std::string& text, const std::string& signatureHtml) {
    if (platform::findText(text, kSignatureToken) == std::string::npos) return;
    std::string result;
    appendWithSignatureTokensReplaced(result, text, signatureHtml);
    text.swap(result);
}
