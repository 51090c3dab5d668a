#include "mime/safe_file_name.h"

#include <cctype>
#include <cstring>

#include "platform/charset_convert.h"

namespace {

bool isForbidden(unsigned char c) { return c < 0x20 || std::strchr("<>:\"/\\|?*", c) != nullptr; }

// Calls `visit(position)` for every character of a single byte: the second
// byte of a two-byte character of the local code page may be the code of
// "\\" or "|" (Big5's "功" is A5 5C) and is no separator.
template <typename Visit>
void forEachSingleByte(const std::string& text, Visit visit) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (platform::opensDoubleByteCharacter(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
            ++i;
            continue;
        }
        visit(i);
    }
}

void replaceForbidden(std::string& text) {
    forEachSingleByte(text, [&](std::size_t i) {
        if (isForbidden(static_cast<unsigned char>(text[i]))) text[i] = '_';
    });
}

void dropTrailingDotsAndSpaces(std::string& text) {
    const std::size_t last = text.find_last_not_of(". ");
    text.erase(last == std::string::npos ? 0 : last + 1);
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices whatever extension follows.
bool isDeviceName(const std::string& name) {
    std::string stem = name.substr(0, name.find('.'));
    const std::size_t last = stem.find_last_not_of(' ');
    stem.erase(last == std::string::npos ? 0 : last + 1);
    for (char& c : stem) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

std::string lastPathComponent(const std::string& path) {
    std::size_t start = 0;
    forEachSingleByte(path, [&](std::size_t i) {
        if (path[i] == '\\' || path[i] == '/') start = i + 1;
    });
    return path.substr(start);
}

std::string safeFileName(const std::string& name) {
    std::string result = lastPathComponent(name);
    if (result.size() >= 2 && std::isalpha(static_cast<unsigned char>(result[0])) && result[1] == ':') {
        result.erase(0, 2);
    }
    replaceForbidden(result);
    dropTrailingDotsAndSpaces(result);
    if (!result.empty() && isDeviceName(result)) result.insert(0, "_");
    return result;
}

std::string safeExtension(const std::string& extension) {
    std::string result = extension;
    replaceForbidden(result);
    dropTrailingDotsAndSpaces(result);
    return result;
}
