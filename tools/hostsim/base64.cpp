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
// first "=" ends the data, as whatever follows padding is not base64.
std::string decodeBase64(std::string_view encoded) {
    std::string out(encoded.size() / 4 * 3 + 3, '\0');
    std::size_t written = 0;
    unsigned bits = 0;
    int bitCount = 0;
    for (const char ch : encoded) {
        const signed char sextet = kSextets[static_cast<unsigned char>(ch)];
        if (sextet < 0) {
            if (sextet == kPadding) break;
            continue;
        }
        bits = (bits << 6) | static_cast<unsigned>(sextet);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            out[written++] = static_cast<char>((bits >> bitCount) & 0xFF);
        }
    }
    out.resize(written);
    return out;
}

}  // namespace hostsim
