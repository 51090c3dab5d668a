#include "mime/charset.h"

#include <boost/regex.hpp>
#include <cctype>
#include <cstring>

#include "platform/host_api.h"
#include "platform/host_block.h"
#include "text/no_case.h"

namespace {

constexpr int kCharsetBufferSize = 20;

struct CharsetPrefix {
    const char* prefix;
    CharsetCode code;
};

// In code order: the first prefix that matches wins.
const CharsetPrefix kPrefixes[] = {
    {"GB2312", kCharsetGB2312}, {"GB18030", kCharsetGB18030}, {"HZ-GB-2312", kCharsetHzGb2312},
    {"UTF-8", kCharsetUtf8},    {"UTF-7", kCharsetUtf7},      {"BIG5", kCharsetBig5},
};


}  // namespace

CharsetCode charsetCodeOf(const std::string& name) {
    for (const CharsetPrefix& entry : kPrefixes) {
        if (beginsWithNoCase(name, entry.prefix)) return entry.code;
    }
    return kCharsetOther;
}

bool isChineseCharset(CharsetCode code) {
    return code == kCharsetGB2312 || code == kCharsetGB18030 || code == kCharsetHzGb2312 || code == kCharsetBig5;
}

ResolvedCharset resolveCharset(const char* name) {
    ResolvedCharset resolved;
    const HostBlock buffer = allocateHostBlock(kCharsetBufferSize);
    if (!buffer) {
        // Without a block the automatic choice has nothing to go by.
        if (name) resolved.name = std::string(name).substr(0, kCharsetBufferSize - 1);
    } else {
        if (name) {
            std::strncpy(buffer.get(), name, kCharsetBufferSize - 1);
        } else {
            hostApi().BKA_GetCharSet(nullptr, buffer.get(), kCharsetBufferSize);
        }
        // A host that fills the whole buffer leaves no terminator.
        buffer.get()[kCharsetBufferSize - 1] = '\0';
        resolved.name = buffer.get();
    }
    resolved.code = charsetCodeOf(resolved.name);
    return resolved;
}

std::string convertFromCharset(const std::string& text, CharsetCode code) {
    const char* converted = nullptr;
    if (code == kCharsetUtf8) {
        converted = hostApi().BKA_UTF_8(text.c_str(), 1);
    } else if (code == kCharsetUtf7) {
        converted = hostApi().BKA_UTF_7(text.c_str(), 1);
    } else {
        return text;
    }
    // The host's text lives only until its next call: copy it now.
    return converted ? std::string(converted) : text;
}

void rewriteMetaCharset(std::string& html, const std::string& name) {
    static const boost::regex metaTag("<[[:space:]]*META [^>]*content=[^>]*charset=([^>\"]*)[^>]*>",
                                      boost::regex::perl | boost::regex::icase);
    boost::smatch match;
    if (!boost::regex_search(html, match, metaTag) || match.length(1) == 0) return;
    html.replace(static_cast<std::size_t>(match.position(1)), static_cast<std::size_t>(match.length(1)), name);
}
