#include <array>

#include "tools/hostsim/converters.h"

namespace hostsim {
namespace {

constexpr signed char kSkip = -1;
constexpr signed char kPadding = -2;

constexpr std::array<signed char, 256> sextets() {
    std::array<signed char, 256> table{};
    for (auto& value : table) value = kSkip;
    for (int i = 0; i < 26; ++i) {
        table['A' + i] = static_cast<signed char>(i);
        table['a' + i] = static_cast<signed char>(i + 26);
    }
    for (int i = 0; i < 10; ++i) table['0' + i] = static_cast<signed char>(i + 52);
    table['+'] = 62;
    table['/'] = 63;
    table['='] = kPadding;
    return table;
}

constexpr std::array<signed char, 256> kSextets = sextets();

}  // namespace

// Line breaks, white space and any other stray character are skipped; the
// first "=" ends the data, as whatever follows padding is not base64. `out`
// may be `in` itself: no byte is written before the characters it comes from
// are read. Returns the bytes written.
std::size_t Base64Decoder::decode(const char* text, std::size_t size, char* out) {
    if (ended_) return 0;
    const auto* in = reinterpret_cast<const unsigned char*>(text);
    std::size_t written = 0;
    for (std::size_t i = 0; i < size;) {
        // Four characters of the alphabet in a row (nearly all of a body
        // split into lines) give three bytes at once.
        if (bitCount_ == 0 && i + 4 <= size) {
            const int a = kSextets[in[i]], b = kSextets[in[i + 1]], c = kSextets[in[i + 2]], d = kSextets[in[i + 3]];
            if ((a | b | c | d) >= 0) {
                const unsigned group = static_cast<unsigned>(a << 18 | b << 12 | c << 6 | d);
                out[written++] = static_cast<char>(group >> 16);
                out[written++] = static_cast<char>(group >> 8 & 0xFF);
                out[written++] = static_cast<char>(group & 0xFF);
                i += 4;
                continue;
            }
        }
        const signed char sextet = kSextets[in[i++]];
        if (sextet < 0) {
            if (sextet == kPadding) {
                ended_ = true;
                break;
            }
            continue;
        }
        bits_ = (bits_ << 6) | static_cast<unsigned>(sextet);
        bitCount_ += 6;
        if (bitCount_ >= 8) {
            bitCount_ -= 8;
            out[written++] = static_cast<char>((bits_ >> bitCount_) & 0xFF);
        }
    }
    return written;
}

std::string decodeBase64(std::string_view encoded) {
    std::string out(encoded.size() / 4 * 3 + 3, '\0');
    out.resize(Base64Decoder().decode(encoded.data(), encoded.size(), out.data()));
    return out;
}


}  // namespace hostsim
