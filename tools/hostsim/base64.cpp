#include <array>
#include <cstdint>

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

// For four characters at once: each character's sextet already shifted to
// its place in the group of three bytes, and a bit above them for anything
// outside the alphabet, so that one OR of four lookups gives the group or
// says it is not one.
constexpr std::uint32_t kNotInGroup = 0x80000000u;

constexpr std::array<std::uint32_t, 256> shiftedSextets(int shift) {
    std::array<std::uint32_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        table[i] = kSextets[i] < 0 ? kNotInGroup : static_cast<std::uint32_t>(kSextets[i]) << shift;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kFirst = shiftedSextets(18), kSecond = shiftedSextets(12),
                                          kThird = shiftedSextets(6), kFourth = shiftedSextets(0);

}  // namespace

// Line breaks, white space and any other stray character are skipped; the
// first "=" ends the data, as whatever follows padding is not base64. `out`
// may be `in` itself: no byte is written before the characters it comes from
// are read. Returns the bytes written.
std::size_t Base64Decoder::decode(const char* text, std::size_t size, char* out) {
    if (ended_) return 0;
    const auto* in = reinterpret_cast<const unsigned char*>(text);
    // Kept in locals: the byte stores could otherwise alias the members, and
    // they would be read again after every store.
    unsigned bits = bits_;
    int bitCount = bitCount_;
    std::size_t written = 0;
    std::size_t i = 0;
    while (i < size) {
        // Four characters of the alphabet in a row (nearly all of a body
        // split into lines) give three bytes at once.
        if (bitCount == 0) {
            for (; i + 4 <= size; i += 4) {
                const std::uint32_t group = kFirst[in[i]] | kSecond[in[i + 1]] | kThird[in[i + 2]] | kFourth[in[i + 3]];
                if (group & kNotInGroup) break;
                out[written] = static_cast<char>(group >> 16);
                out[written + 1] = static_cast<char>(group >> 8 & 0xFF);
                out[written + 2] = static_cast<char>(group & 0xFF);
                written += 3;
            }
            if (i == size) break;
        }
        const signed char sextet = kSextets[in[i++]];
        if (sextet < 0) {
            if (sextet == kPadding) {
                ended_ = true;
                break;
            }
            continue;
        }
        bits = (bits << 6) | static_cast<unsigned>(sextet);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            out[written++] = static_cast<char>((bits >> bitCount) & 0xFF);
        }
    }
    bits_ = bits;
    bitCount_ = bitCount;
    return written;
}

std::string decodeBase64(std::string_view encoded) {
    std::string out(encoded.size() / 4 * 3 + 3, '\0');
    out.resize(Base64Decoder().decode(encoded.data(), encoded.size(), out.data()));
    return out;
}


}  // namespace hostsim
