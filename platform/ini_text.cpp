#include "platform/ini_text.h"

#include <cctype>
#include <sstream>

#include "platform/files.h"

namespace platform {
namespace {

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool equalsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string cutToSize(const std::string& value, int size) {
    if (size <= 0) return std::string();
    return value.substr(0, static_cast<std::size_t>(size - 1));
}

void appendUtf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// UTF-16 after its byte-order mark; a lone surrogate becomes U+FFFD.
std::string utf8FromUtf16(const std::string& bytes, bool bigEndian) {
    std::string out;
    const auto unitAt = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (first << 8 | second) : (second << 8 | first);
    };
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const unsigned long unit = static_cast<unsigned long>(unitAt(i));
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
            const unsigned long low = static_cast<unsigned long>(unitAt(i + 2));
            if (low >= 0xDC00 && low < 0xE000) {
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        appendUtf8(out, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
    }
    return out;
}

}  // namespace

std::string iniTextOf(const std::string& fileContent) {
    if (fileContent.compare(0, 3, "\xEF\xBB\xBF") == 0) return fileContent.substr(3);
    if (fileContent.compare(0, 2, "\xFF\xFE") == 0) return utf8FromUtf16(fileContent, false);
    if (fileContent.compare(0, 2, "\xFE\xFF") == 0) return utf8FromUtf16(fileContent, true);
    return fileContent;
}

std::string profileStringIn(const std::string& text, const std::string& section, const std::string& key,
                            const std::string& defaultValue, int size) {
    std::istringstream in(text);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        const std::string trimmed = trim(line);
        if (trimmed.empty() || trimmed[0] == ';') continue;
        if (trimmed[0] == '[') {
            const auto close = trimmed.find(']');
            const std::string name =
                trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            inSection = equalsNoCase(name, section);
            continue;
        }
        if (!inSection) continue;
        const auto equals = trimmed.find('=');
        if (equals == std::string::npos) continue;
        if (!equalsNoCase(trim(trimmed.substr(0, equals)), key)) continue;
        std::string value = trim(trimmed.substr(equals + 1));
        // Like Windows, one pair of surrounding quotes is dropped.
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        return cutToSize(value, size);
    }
    return cutToSize(defaultValue, size);
}

std::string readProfileStringFromFile(const std::string& section, const std::string& key,
                                      const std::string& defaultValue, int size, const std::string& path) {
    const std::optional<std::string> content = readFile(path);
    return profileStringIn(content ? iniTextOf(*content) : std::string(), section, key, defaultValue, size);
}

}  // namespace platform
