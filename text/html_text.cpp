#include "text/html_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/host_buffer.h"
#include "platform/large_blocks.h"
#include "text/word_scan.h"

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

// A body of megabytes is scanned eight bytes at a time for its line feeds and
// angle brackets, which most lines have none of.
using wordscan::countMarked;
using wordscan::firstMarked;
using wordscan::kWord;
using wordscan::wordAt;

// The top bit of each byte of `word` that is '<' or '>' (0x3C, 0x3E: equal
// once bit 1 is set), and no other.
std::uint64_t angleBits(std::uint64_t word) {
    return wordscan::zeroBytes((word | wordscan::kEveryByte * 0x02) ^ (wordscan::kEveryByte * '>'));
}

bool isAngle(char c) { return c == '<' || c == '>'; }

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
        lineFeeds += countMarked(wordscan::bytesEqualTo(word, '\n'));
        angles += countMarked(angleBits(word));
    }
    for (; i < text.size(); ++i) {
        lineFeeds += text[i] == '\n' ? 1 : 0;
        angles += isAngle(text[i]) ? 1 : 0;
    }
    return {lineFeeds, text.size() + 3 * angles};
}

bool isBlank(std::string_view line) {
    for (const char c : line) {
        if (c != ' ' && c != '\r' && c != '\n') return false;
    }
    return true;
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
    // buffer's; and the copy's last block store may reach a block past the text.
    const BodyCounts counts = countBody(text);
    const std::size_t divs = counts.lineFeeds + 1 + counts.escapedLength / maxLine;
    std::string html;
    const std::size_t bound = counts.escapedLength + divs * kBlankDivLength + wordscan::kBlock;
    platform::reserveForWriting(html, bound + room, bound);
    html.resize(bound);
    char* out = html.data();
    const auto put = [&](std::string_view piece) {
        std::memcpy(out, piece.data(), piece.size());
        out += piece.size();
    };
    const char* const in = text.data();
    std::string escaped;
    for (std::size_t position = 0;;) {
        // A line of spaces and carriage returns only is a blank div, one
        // for each line buffer it fills.
        std::size_t at = position;
        while (at < text.size() && (in[at] == ' ' || in[at] == '\r')) ++at;
        if (at == text.size() || in[at] == '\n') {
            std::size_t blanks = std::max<std::size_t>(1, (at - position + maxLine - 1) / maxLine);
            while (blanks-- > 0) put(std::string_view(kBlankDiv, kBlankDivLength));
            if (at == text.size()) break;
            position = at + 1;
            continue;
        }
        // The line escaped into its div, eight bytes at a time up to its
        // line feed or an angle bracket. Each word is stored whole and what
        // follows a stop written over: the bound gives every div a blank
        // div's length beyond its escaped text, more than its tags and one
        // word take.
        char* const div = out;
        put("<div>");
        at = position;
        for (;;) {
            const char* from = in + at;
            wordscan::copyBlocksUntilStop(
                from, in + text.size(), out,
                [](wordscan::Block block) {
                    return wordscan::blockBytesEqualTo(block, '\n') | wordscan::blockBytesEqualTo(block, '<') |
                           wordscan::blockBytesEqualTo(block, '>');
                },
                [](std::uint64_t word) { return wordscan::bytesEqualTo(word, '\n') | angleBits(word); },
                [](char c) { return c == '\n' || isAngle(c); });
            at = static_cast<std::size_t>(from - in);
            if (at == text.size()) break;
            if (in[at] == '\n') break;
            put(std::string_view(in[at] == '<' ? "&lt;" : "&gt;", 4));
            ++at;
        }
        // A line whose escaped form outgrows the line buffer is cut into
        // divs of the buffer's length.
        const std::size_t escapedSize = static_cast<std::size_t>(out - div) - 5;
        if (escapedSize > maxLine) {
            escaped.assign(div + 5, escapedSize);
            out = div;
            for (std::size_t from = 0; from < escaped.size(); from += maxLine) {
                const std::string_view piece = std::string_view(escaped).substr(from, maxLine);
                if (isBlank(piece)) {
                    put(std::string_view(kBlankDiv, kBlankDivLength));
                } else {
                    put("<div>");
                    put(piece);
                    put("</div>");
                }
            }
        } else {
            put("</div>");
        }
        if (at == text.size()) break;
        position = at + 1;
    }
    html.resize(static_cast<std::size_t>(out - html.data()));
    return html;
}
