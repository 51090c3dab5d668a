#include "tools/hostsim/converters.h"

namespace hostsim {
namespace {

int sextetOf(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

// Line breaks, white space and any other stray character are skipped; the
// first "=" ends the data, as whatever follows padding is not base64.
std::string decodeBase64(const std::string& encoded) {
    std::string out;
    out.reserve(encoded.size() / 4 * 3 + 3);
    unsigned bits = 0;
    int bitCount = 0;
    for (const char ch : encoded) {
        if (ch == '=') break;
        const int sextet = sextetOf(static_cast<unsigned char>(ch));
        if (sextet < 0) continue;
        bits = (bits << 6) | static_cast<unsigned>(sextet);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            out += static_cast<char>((bits >> bitCount) & 0xFF);
        }
    }
    return out;
}

}  // namespace hostsim
