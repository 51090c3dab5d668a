#include "platform/charset_convert.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/charset_names.h"
#include "platform/seven_bit_charsets.h"

namespace platform {

// The system's own code page (the ANSI code page on Windows, UTF-8 on Linux);
// defined beside each system's converter.
bool systemCodePageLeadByte(unsigned char byte);

namespace {

std::size_t sequenceLength(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

std::string& localCodePageName() {
    static std::string name = kLocalCodePage;
    return name;
}

// The two-byte code pages a host may use, by their lead bytes.
bool isLeadByteOf(const std::string& canonical, unsigned char byte) {
    if (canonical == "CP936" || canonical == "GB18030" || canonical == "CP950" || canonical == "BIG5-HKSCS" ||
        canonical == "CP949") {
        return byte >= 0x81 && byte <= 0xFE;
    }
    if (canonical == "CP932") return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    return false;
}

}  // namespace

bool isWellFormedUtf8(const std::string& text) {
    constexpr std::size_t kWord = 8;
    constexpr std::uint64_t kTopBits = 0x8080808080808080ull;
    for (std::size_t i = 0; i < text.size();) {
        // Runs of ASCII, most of any mail's text, eight bytes at a time.
        if (i + kWord <= text.size()) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + i, kWord);
            if (!(word & kTopBits)) {
                i += kWord;
                continue;
            }
        }
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead < 0xC2 || lead > 0xF4) return false;
        const std::size_t length = sequenceLength(lead);
        if (i + length > text.size()) return false;
        const unsigned char second = static_cast<unsigned char>(text[i + 1]);
        // The second byte's range that rules out overlongs, surrogates and
        // code points past U+10FFFF.
        const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        if (second < low || second > high) return false;
        for (std::size_t k = 2; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

std::optional<std::string> sourceCharsetOf(const std::string& text, const std::string& canonical) {
    if (canonical == "US-ASCII") {
        const bool sevenBit =
            std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (sevenBit) return canonical;
        return std::string(isWellFormedUtf8(text) ? "UTF-8" : "WINDOWS-1252");
    }
    if (canonical == "UTF-7" && !isWellFormedUtf7(text)) return std::nullopt;
    return canonical;
}

bool opensDoubleByteCharacter(unsigned char byte) {
    if (byte < 0x80) return false;
    const std::optional<std::string> canonical = canonicalCharsetName(localCodePage());
    if (!canonical) return false;
    if (*canonical == kLocalCodePage) return systemCodePageLeadByte(byte);
    return isLeadByteOf(*canonical, byte);
}

const std::string& localCodePage() { return localCodePageName(); }

void setLocalCodePage(const std::string& name) { localCodePageName() = name; }

}  // namespace platform
