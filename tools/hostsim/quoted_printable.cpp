#include <algorithm>

#include "tools/hostsim/converters.h"

namespace hostsim {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Decodes one line without its line break. An "=" that does not start a
// valid escape is kept as written.
void decodeLine(std::string_view line, std::string& out) {
    for (std::size_t i = 0; i < line.size();) {
        // The text up to the next "=" as it stands, in one piece.
        const std::size_t equals = std::min(line.find('=', i), line.size());
        out.append(line.data() + i, equals - i);
        i = equals;
        if (i == line.size()) break;
        if (i + 2 < line.size() && hexValue(line[i + 1]) >= 0 && hexValue(line[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(line[i + 1]) * 16 + hexValue(line[i + 2]));
            i += 3;
        } else {
            out += '=';
            ++i;
        }
    }
}

}  // namespace

// RFC 2045: white space at the end of an encoded line was added in transit
// and is dropped; a line ending in "=" (soft break) joins the next one.
std::string decodeQuotedPrintable(std::string_view encoded) {
    std::string out;
    out.reserve(encoded.size());
    std::size_t start = 0;
    while (start < encoded.size()) {
        const std::size_t newline = encoded.find('\n', start);
        const std::size_t end = newline == std::string_view::npos ? encoded.size() : newline;
        std::size_t contentEnd = end;
        if (newline != std::string_view::npos && contentEnd > start && encoded[contentEnd - 1] == '\r') --contentEnd;
        const std::string_view lineEnd = encoded.substr(contentEnd, end - contentEnd);
        while (contentEnd > start && (encoded[contentEnd - 1] == ' ' || encoded[contentEnd - 1] == '\t')) --contentEnd;
        std::string_view line = encoded.substr(start, contentEnd - start);
        const bool softBreak = !line.empty() && line.back() == '=';
        if (softBreak) line.remove_suffix(1);
        decodeLine(line, out);
        if (!softBreak) {
            out += lineEnd;
            if (newline != std::string_view::npos) out += '\n';
        }
        start = newline == std::string_view::npos ? encoded.size() : newline + 1;
    }
    return out;
}

}  // namespace hostsim
