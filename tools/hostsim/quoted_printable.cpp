#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

#include "platform/find_byte.h"
#include "platform/large_blocks.h"
#include "text/word_scan.h"
#include "tools/hostsim/converters.h"

namespace hostsim {
namespace {

constexpr std::array<signed char, 256> hexValues() {
    std::array<signed char, 256> table{};
    for (auto& value : table) value = -1;
    for (int i = 0; i < 10; ++i) table['0' + i] = static_cast<signed char>(i);
    for (int i = 0; i < 6; ++i) {
        table['A' + i] = static_cast<signed char>(10 + i);
        table['a' + i] = static_cast<signed char>(10 + i);
    }
    return table;
}

constexpr std::array<signed char, 256> kHex = hexValues();

using wordscan::firstMarked;
using wordscan::kWord;
using wordscan::wordAt;

// Decodes one line without its line break to `out`, which may lie at or
// before `in` in the same memory (decoding never makes text longer); the
// position after what was written. An "=" that does not start a valid escape
// is kept as written. `kSeparate`: `out` is memory of its own, at least as
// long from `out` on as the text is from `in` on.
template <bool kSeparate>
char* decodeLine(const char* in, const char* end, char* out) {
    while (in < end) {
        // The text between escapes, eight bytes at a time. Of a word with an
        // "=" only what precedes it is written: in place, the bytes after it
        // are still to be read.
        if (static_cast<std::size_t>(end - in) >= kWord) {
            const std::uint64_t word = wordAt(in);
            const std::uint64_t bits = wordscan::firstByteEqualTo(word, '=');
            if (!bits) {
                std::memcpy(out, &word, kWord);
                in += kWord;
                out += kWord;
                continue;
            }
            const std::size_t plain = firstMarked(bits);
            if (kSeparate) {
                // The whole word, of which what follows the "=" is written
                // over again.
                std::memcpy(out, &word, kWord);
                out += plain;
                in += plain;
            } else {
                for (std::size_t left = plain; left > 0; --left) *out++ = *in++;
            }
        } else {
            while (in < end && *in != '=') *out++ = *in++;
            if (in == end) break;
        }
        const int high = end - in > 2 ? kHex[static_cast<unsigned char>(in[1])] : -1;
        const int low = end - in > 2 ? kHex[static_cast<unsigned char>(in[2])] : -1;
        if (high >= 0 && low >= 0) {
            *out++ = static_cast<char>(high * 16 + low);
            in += 3;
        } else {
            *out++ = '=';
            ++in;
        }
    }
    return out;
}

// RFC 2045: white space at the end of an encoded line was added in transit
// and is dropped; a line ending in "=" (soft break) joins the next one.
// Writes to `out` as decodeLine does; the bytes written.
template <bool kSeparate>
std::size_t decodeQuotedPrintableTo(std::string_view encoded, char* const out) {
    char* at = out;
    const char* const text = encoded.data();
    std::size_t start = 0;
    while (start < encoded.size()) {
        const char* found = platform::findByte(text + start, encoded.size() - start, '\n');
        const bool hasNewline = found != nullptr;
        const std::size_t end = hasNewline ? static_cast<std::size_t>(found - text) : encoded.size();
        std::size_t contentEnd = end;
        if (hasNewline && contentEnd > start && text[contentEnd - 1] == '\r') --contentEnd;
        const bool carriageReturn = contentEnd != end;
        while (contentEnd > start && (text[contentEnd - 1] == ' ' || text[contentEnd - 1] == '\t')) --contentEnd;
        const bool softBreak = contentEnd > start && text[contentEnd - 1] == '=';
        if (softBreak) --contentEnd;
        at = decodeLine<kSeparate>(text + start, text + contentEnd, at);
        if (!softBreak) {
            if (carriageReturn) *at++ = '\r';
            if (hasNewline) *at++ = '\n';
        }
        start = hasNewline ? end + 1 : encoded.size();
    }
    return static_cast<std::size_t>(at - out);
}

// Decodes as decodeQuotedPrintableTo<true> would, each byte written as
// its character in `table` with a four-byte store (`out` has four bytes of
// room past the end of the text), in one pass over the words of the text:
// line feeds are found by the same scan as escapes and 8-bit bytes, and a
// line's end is mended where it is reached. None where a byte is undefined
// in the table, or where a byte written unencoded would grow: only then
// could the output outrun the text.
std::optional<std::size_t> decodeAsCharacters(std::string_view encoded, char* const out,
                                              const platform::ByteCharacters& table) {
    const char* in = encoded.data();
    const char* const end = in + encoded.size();
    char* at = out;
    // What lies before `kept` stays as it is at the line's end: the lines
    // before, and escapes and characters from the table, which are never
    // white space added in transit.
    char* kept = out;
    for (;;) {
        wordscan::copyBlocksUntilStop(
            in, end, at,
            [](wordscan::Block block) {
                return wordscan::blockBytesEqualTo(block, '=') | wordscan::blockBytesEqualTo(block, '\n') |
                       wordscan::blockTopBits(block);
            },
            [](std::uint64_t word) {
                return wordscan::firstByteEqualTo(word, '=') | wordscan::firstByteEqualTo(word, '\n') |
                       (word & wordscan::kTopBits);
            },
            [](char c) { return c == '=' || c == '\n' || (c & 0x80) != 0; });
        if (in == end || *in == '\n') {
            // The line's end: a carriage return before its line feed, then
            // white space, then an "=" (a soft break, which joins the next
            // line) are taken off the text written.
            const bool lineFeed = in != end;
            const bool carriageReturn = lineFeed && at > kept && at[-1] == '\r';
            if (carriageReturn) --at;
            while (at > kept && (at[-1] == ' ' || at[-1] == '\t')) --at;
            const bool softBreak = at > kept && at[-1] == '=';
            if (softBreak) {
                --at;
            } else {
                if (carriageReturn) *at++ = '\r';
                if (lineFeed) *at++ = '\n';
            }
            if (!lineFeed) break;
            ++in;
            kept = at;
            continue;
        }
        unsigned char byte = static_cast<unsigned char>(*in);
        std::size_t read = 1;
        if (byte == '=') {
            const int high = end - in > 2 ? kHex[static_cast<unsigned char>(in[1])] : -1;
            const int low = end - in > 2 ? kHex[static_cast<unsigned char>(in[2])] : -1;
            if (high < 0 || low < 0) {
                // Kept as written; a soft break if only white space follows.
                *at++ = '=';
                ++in;
                continue;
            }
            byte = static_cast<unsigned char>(high * 16 + low);
            read = 3;
        } else if (table.lengths[byte] != 1) {
            return std::nullopt;
        }
        if (table.lengths[byte] == 0) return std::nullopt;
        std::memcpy(at, table.characters[byte].data(), sizeof table.characters[byte]);
        at += table.lengths[byte];
        in += read;
        kept = at;
    }
    return static_cast<std::size_t>(at - out);
}

}  // namespace

std::string decodeQuotedPrintable(std::string_view encoded) {
    std::string out;
    platform::reserveForWriting(out, encoded.size(), encoded.size());
    out.resize(encoded.size());
    out.resize(decodeQuotedPrintableTo<true>(encoded, out.data()));
    return out;
}

std::optional<std::string> decodeQuotedPrintableAsCharacters(std::string_view encoded,
                                                             const platform::ByteCharacters& table) {
    // Decoding never makes the text longer, nor does a character read from
    // an escape (three bytes): the output stays behind the reading.
    const std::size_t room = encoded.size() + sizeof table.characters[0];
    std::string out;
    platform::reserveForWriting(out, room, room);
    out.resize(room);
    const auto written = decodeAsCharacters(encoded, out.data(), table);
    if (!written) return std::nullopt;
    out.resize(*written);
    return out;
}

std::size_t decodeQuotedPrintableInPlace(char* text, std::size_t size) {
    return decodeQuotedPrintableTo<false>(std::string_view(text, size), text);
}


}  // namespace hostsim
