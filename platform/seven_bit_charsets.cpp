#include "platform/seven_bit_charsets.h"

namespace platform {
namespace {

bool isGraphic94(unsigned char c) { return c >= 0x21 && c <= 0x7E; }
bool isLineBreak(unsigned char c) { return c == '\r' || c == '\n'; }

}  // namespace

std::optional<std::string> hzToEucCn(const std::string& hz) {
    std::string out;
    out.reserve(hz.size());
    bool inGb = false;
    for (std::size_t i = 0; i < hz.size(); ++i) {
        const auto c = static_cast<unsigned char>(hz[i]);
        if (c >= 0x80) return std::nullopt;
        if (c == '~' && i + 1 < hz.size()) {
            const char next = hz[i + 1];
            if (!inGb && next == '~') { out += '~'; ++i; continue; }
            if (next == '{') { inGb = true; ++i; continue; }
            if (next == '}') { inGb = false; ++i; continue; }
            // "~" at the end of a line continues it.
            if (!inGb && next == '\n') { ++i; continue; }
            if (!inGb && next == '\r' && i + 2 < hz.size() && hz[i + 2] == '\n') { i += 2; continue; }
        }
        if (!inGb) {
            out += static_cast<char>(c);
            continue;
        }
        // A line never continues GB mode into the next one.
        if (isLineBreak(c)) {
            inGb = false;
            out += static_cast<char>(c);
            continue;
        }
        if (i + 1 >= hz.size()) return std::nullopt;
        const auto second = static_cast<unsigned char>(hz[i + 1]);
        if (!isGraphic94(c) || !isGraphic94(second)) return std::nullopt;
        out += static_cast<char>(c | 0x80);
        out += static_cast<char>(second | 0x80);
        ++i;
    }
    return out;
}

std::string eucCnToHz(const std::string& eucCn) {
    std::string out;
    bool inGb = false;
    const auto leaveGb = [&] {
        if (inGb) out += "~}";
        inGb = false;
    };
    for (std::size_t i = 0; i < eucCn.size(); ++i) {
        const auto c = static_cast<unsigned char>(eucCn[i]);
        if (c < 0x80) {
            leaveGb();
            out += c == '~' ? std::string("~~") : std::string(1, static_cast<char>(c));
            continue;
        }
        const auto second = i + 1 < eucCn.size() ? static_cast<unsigned char>(eucCn[i + 1]) : 0;
        const bool inGb2312 = c >= 0xA1 && c <= 0xF7 && second >= 0xA1 && second <= 0xFE;
        if (second >= 0x40) ++i;  // a GBK pair outside GB2312 is one character
        if (!inGb2312) {
            leaveGb();
            out += '?';
            continue;
        }
        if (!inGb) out += "~{";
        inGb = true;
        out += static_cast<char>(c & 0x7F);
        out += static_cast<char>(second & 0x7F);
    }
    leaveGb();
    return out;
}

std::optional<std::string> iso2022JpToEucJp(const std::string& jis) {
    enum class Mode { Ascii, Jis0208, Jis0212, Katakana };
    Mode mode = Mode::Ascii;
    bool shiftedOut = false;  // SO ... SI: half-width katakana
    std::string out;
    out.reserve(jis.size());
    for (std::size_t i = 0; i < jis.size(); ++i) {
        const auto c = static_cast<unsigned char>(jis[i]);
        if (c >= 0x80) return std::nullopt;
        if (c == 0x1B) {
            const std::string rest = jis.substr(i + 1, 3);
            if (rest.compare(0, 2, "(B") == 0 || rest.compare(0, 2, "(J") == 0) {
                mode = Mode::Ascii;
                i += 2;
            } else if (rest.compare(0, 2, "$@") == 0 || rest.compare(0, 2, "$B") == 0) {
                mode = Mode::Jis0208;
                i += 2;
            } else if (rest.compare(0, 2, "(I") == 0) {
                mode = Mode::Katakana;
                i += 2;
            } else if (rest == "$(D") {
                mode = Mode::Jis0212;
                i += 3;
            } else {
                return std::nullopt;
            }
            continue;
        }
        if (c == 0x0E) { shiftedOut = true; continue; }
        if (c == 0x0F) { shiftedOut = false; continue; }
        if (isLineBreak(c)) {
            // Encoders return to ASCII before a line ends; be lenient when they do not.
            mode = Mode::Ascii;
            shiftedOut = false;
            out += static_cast<char>(c);
            continue;
        }
        if (shiftedOut || mode == Mode::Katakana) {
            if (c < 0x21 || c > 0x5F) return std::nullopt;
            out += '\x8E';
            out += static_cast<char>(c | 0x80);
            continue;
        }
        if (mode == Mode::Ascii) {
            out += static_cast<char>(c);
            continue;
        }
        if (i + 1 >= jis.size()) return std::nullopt;
        const auto second = static_cast<unsigned char>(jis[i + 1]);
        if (!isGraphic94(c) || !isGraphic94(second)) return std::nullopt;
        if (mode == Mode::Jis0212) out += '\x8F';
        out += static_cast<char>(c | 0x80);
        out += static_cast<char>(second | 0x80);
        ++i;
    }
    return out;
}

bool isWellFormedUtf7(const std::string& text) {
    const auto base64Value = [](unsigned char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    };
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) return false;
        ++i;
        if (c != '+') continue;
        if (i < text.size() && text[i] == '-') {  // "+-" is a plus sign
            ++i;
            continue;
        }
        unsigned bits = 0;
        unsigned value = 0;
        int digit;
        while (i < text.size() && (digit = base64Value(static_cast<unsigned char>(text[i]))) >= 0) {
            value = ((value << 6) | static_cast<unsigned>(digit)) & 0xFFFF;
            bits = (bits + 6) % 16;
            ++i;
        }
        // What is left after the last whole UTF-16 unit: under six bits, all zero.
        if (bits >= 6 || (value & ((1u << bits) - 1)) != 0) return false;
    }
    return true;
}

}  // namespace platform
