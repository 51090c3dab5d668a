#include "tools/torvane/preview_policy.h"

#include <cctype>

#include "mime/charset.h"

namespace torvane {

#define TORVANE_PREVIEW_POLICY                                                                         \
    "default-src 'none'; img-src 'self' file: data:; style-src 'self' file: 'unsafe-inline'; font-src 'self' " \
    "file: data:; base-uri 'none'; form-action 'none'"

const char* const kPreviewPolicy = TORVANE_PREVIEW_POLICY;
const char* const kPreviewPolicyMeta = "<meta http-equiv=\"Content-Security-Policy\" content=\"" TORVANE_PREVIEW_POLICY "\">";

namespace {

std::size_t skipSpace(const std::string& html, std::size_t at) {
    while (at < html.size() && std::isspace(static_cast<unsigned char>(html[at]))) ++at;
    return at;
}

// After the tag at `at` when it is `<name` (any case) followed by ">" or
// white space; `at` itself otherwise.
std::size_t afterTag(const std::string& html, std::size_t at, const std::string& name) {
    if (html.size() < at + name.size() + 2 || html[at] != '<') return at;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(html[at + 1 + i])) != name[i]) return at;
    }
    const char next = html[at + 1 + name.size()];
    if (next != '>' && !std::isspace(static_cast<unsigned char>(next))) return at;
    const std::size_t close = html.find('>', at);
    return close == std::string::npos ? at : close + 1;
}

bool isUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || (length == 2 && lead < 0xC2) || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

}  // namespace

std::string withUtf8Declared(const std::string& html) {
    static const std::string mark = "\xEF\xBB\xBF";
    if (!isUtf8(html)) return html;
    std::string result = html.compare(0, mark.size(), mark) == 0 ? html : mark + html;
    rewriteMetaCharset(result, "utf-8");
    return result;
}

std::string withPreviewPolicy(const std::string& html) {
    std::size_t at = html.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    for (const char* tag : {"!doctype", "html", "head"}) {
        const std::size_t start = skipSpace(html, at);
        const std::size_t end = afterTag(html, start, tag);
        if (end != start) at = end;
    }
    std::string result = html;
    result.insert(at, kPreviewPolicyMeta);
    return result;
}

}  // namespace torvane
