#include "text/html_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/host_buffer.h"

namespace {

constexpr int kLineBufferSize = 0x7fff;  // one line of a plain-text body, NUL included

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    std::string result;
    result.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t found; (found = text.find(from, start)) != std::string::npos; start = found + from.size()) {
        result.append(text, start, found - start);
        result += to;
    }
    result.append(text, start, std::string::npos);
    text.swap(result);
}

}  // namespace

std::string htmlEscapeAngles(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        if (c == '<') {
            escaped += "&lt;";
        } else if (c == '>') {
            escaped += "&gt;";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string textToHtml(const std::string& text) {
    std::string html = text;
    replaceAll(html, " ", "&nbsp;");
    replaceAll(html, "\r\n", "</div><div>");
    return "<div>" + html + "</div>";
}

namespace {

constexpr char kBlankDiv[] = "<div>&nbsp;</div>";
constexpr std::size_t kBlankDivLength = sizeof kBlankDiv - 1;

// A body of megabytes is scanned eight bytes at a time for its angle
// brackets, which most lines have none of.
constexpr std::size_t kWord = 8;
constexpr std::uint64_t kEveryByte = 0x0101010101010101ull;

// The top bit of each byte of `word` that is '<' or '>' (0x3C, 0x3E: equal
// once bit 1 is set), and no other.
std::uint64_t angleBits(std::uint64_t word) {
    const std::uint64_t x = (word | kEveryByte * 0x02) ^ (kEveryByte * '>');  // zero where an angle was
    const std::uint64_t low = kEveryByte * 0x7F;
    return ~(((x & low) + low) | x | low);
}

std::uint64_t wordAt(const char* text) {
    std::uint64_t word;
    std::memcpy(&word, text, kWord);
    return word;
}

bool isAngle(char c) { return c == '<' || c == '>'; }

// How many of the top bits of bytes are set.
std::size_t countBits(std::uint64_t bits) { return static_cast<std::size_t>(((bits >> 7) * kEveryByte) >> 56); }

std::size_t escapedLength(std::string_view text) {
    std::size_t angles = 0;
    std::size_t i = 0;
    for (; i + kWord <= text.size(); i += kWord) {
        // One in the low bit of each byte that was an angle, summed into the top byte.
        angles += countBits(angleBits(wordAt(text.data() + i)));
    }
    for (; i < text.size(); ++i) angles += isAngle(text[i]) ? 1 : 0;
    return text.size() + 3 * angles;
}

// The top bit of each byte of `word` that is a line feed, and no other.
std::uint64_t lineFeedBits(std::uint64_t word) {
    const std::uint64_t x = word ^ (kEveryByte * '\n');
    const std::uint64_t low = kEveryByte * 0x7F;
    return ~(((x & low) + low) | x | low);
}

struct BodyCounts {
    std::size_t lineFeeds = 0;
    std::size_t escapedLength = 0;
};

// One scan of a whole body, eight bytes at a time.
BodyCounts countBody(std::string_view text) {
    std::size_t lineFeeds = 0;
    std::size_t angles = 0;
    std::size_t i = 0;
    for (; i + kWord <= text.size(); i += kWord) {
        const std::uint64_t word = wordAt(text.data() + i);
        lineFeeds += countBits(lineFeedBits(word));
        angles += countBits(angleBits(word));
    }
    for (; i < text.size(); ++i) {
        lineFeeds += text[i] == '\n' ? 1 : 0;
        angles += isAngle(text[i]) ? 1 : 0;
    }
    return {lineFeeds, text.size() + 3 * angles};
}

// The first angle bracket from `i` on, or the text's size.
std::size_t nextAngle(std::string_view text, std::size_t i) {
    for (; i + kWord <= text.size(); i += kWord) {
        if (const std::uint64_t bits = angleBits(wordAt(text.data() + i))) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
            return i + static_cast<std::size_t>(__builtin_clzll(bits)) / 8;  // the first byte in memory
#else
            return i + static_cast<std::size_t>(__builtin_ctzll(bits)) / 8;
#endif
        }
    }
    while (i < text.size() && !isAngle(text[i])) ++i;
    return i;
}

// Calls `put` with `text` in pieces, its angle brackets escaped.
template <typename Put>
void escapeAngles(std::string_view text, Put&& put) {
    for (std::size_t start = 0;;) {
        const std::size_t angle = nextAngle(text, start);
        put(text.substr(start, angle - start));
        if (angle == text.size()) return;
        put(std::string_view(text[angle] == '<' ? "&lt;" : "&gt;", 4));
        start = angle + 1;
    }
}

void appendEscaped(std::string& html, std::string_view text) {
    escapeAngles(text, [&](std::string_view piece) { html.append(piece.data(), piece.size()); });
}

bool isBlank(std::string_view line) {
    for (const char c : line) {
        if (c != ' ' && c != '\r' && c != '\n') return false;
    }
    return true;
}

// Calls `piece(line, escaped)` for each div of the body in order: a line
// whose escaped form fits the line buffer as its source text (escaped =
// false), a longer one as the escaped pieces it is cut into (escaped = true).
// Escaping adds no line ends, so the body's lines are its source lines.
template <typename Piece>
void forEachDiv(std::string_view text, std::size_t maxLine, Piece&& piece) {
    std::string escaped;
    std::size_t position = 0;
    for (;;) {
        const std::size_t lineEnd = std::min(text.find('\n', position), text.size());
        const std::string_view line = text.substr(position, lineEnd - position);
        if (line.size() <= maxLine / 4 || escapedLength(line) <= maxLine) {
            piece(line, false);
        } else {
            escaped.clear();
            appendEscaped(escaped, line);
            for (std::size_t at = 0; at < escaped.size(); at += maxLine) {
                piece(std::string_view(escaped).substr(at, maxLine), true);
            }
        }
        if (lineEnd == text.size()) break;
        position = lineEnd + 1;
    }
}

}  // namespace

std::string plainTextToHtml(std::string_view text, std::size_t room) {
    // The host-sized line buffer bounds one line; a longer line goes on in
    // the next div rather than being lost.
    HostBuffer lineBuffer(kLineBufferSize);
    const std::size_t maxLine = static_cast<std::size_t>(lineBuffer.size() - 1);
    // One scan bounds the result, which is then written once into memory of
    // that size: each div adds at most a blank div's length, and the divs
    // beyond one a line are at most its escaped length over the line
    // buffer's.
    const BodyCounts counts = countBody(text);
    const std::size_t divs = counts.lineFeeds + 1 + counts.escapedLength / maxLine;
    std::string html;
    const std::size_t bound = counts.escapedLength + divs * kBlankDivLength;
    html.reserve(bound + room);
    html.resize(bound);
    char* out = html.data();
    const auto put = [&](std::string_view piece) {
        std::memcpy(out, piece.data(), piece.size());
        out += piece.size();
    };
    forEachDiv(text, maxLine, [&](std::string_view piece, bool escaped) {
        if (isBlank(piece)) {
            put(std::string_view(kBlankDiv, kBlankDivLength));
            return;
        }
        put("<div>");
        if (escaped) {
            put(piece);
        } else {
            escapeAngles(piece, put);
        }
        put("</div>");
    });
    html.resize(static_cast<std::size_t>(out - html.data()));
    return html;
}
