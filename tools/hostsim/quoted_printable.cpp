#include <array>
#include <cstdint>
#include <cstring>

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

constexpr std::size_t kWord = 8;
constexpr std::uint64_t kEveryByte = 0x0101010101010101ull;

// The top bit of the first "=" among the eight bytes and possibly of later
// bytes; none when there is no "=".
std::uint64_t equalsBits(std::uint64_t word) {
    const std::uint64_t x = word ^ (kEveryByte * '=');
    return (x - kEveryByte) & ~x & (kEveryByte * 0x80);
}

// Bytes before the first "=" marked in `bits`.
std::size_t bytesBefore(std::uint64_t bits) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return static_cast<std::size_t>(__builtin_clzll(bits)) / 8;
#else
    return static_cast<std::size_t>(__builtin_ctzll(bits)) / 8;
#endif
}

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
            std::uint64_t word;
            std::memcpy(&word, in, kWord);
            const std::uint64_t bits = equalsBits(word);
            if (!bits) {
                std::memcpy(out, &word, kWord);
                in += kWord;
                out += kWord;
                continue;
            }
            const std::size_t plain = bytesBefore(bits);
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
        const void* found = std::memchr(text + start, '\n', encoded.size() - start);
        const bool hasNewline = found != nullptr;
        const std::size_t end = hasNewline ? static_cast<std::size_t>(static_cast<const char*>(found) - text) : encoded.size();
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

}  // namespace

std::string decodeQuotedPrintable(std::string_view encoded) {
    std::string out(encoded.size(), '\0');
    out.resize(decodeQuotedPrintableTo<true>(encoded, out.data()));
    return out;
}

std::size_t decodeQuotedPrintableInPlace(char* text, std::size_t size) {
    return decodeQuotedPrintableTo<false>(std::string_view(text, size), text);
}


}  // namespace hostsim
