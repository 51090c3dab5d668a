#include "mime/safe_file_name.h"

#include <cctype>
#include <cstring>

namespace {

bool isForbidden(unsigned char c) { return c < 0x20 || std::strchr("<>:\"/\\|?*", c) != nullptr; }

void replaceForbidden(std::string& text) {
    for (char& c : text) {
        if (isForbidden(static_cast<unsigned char>(c))) c = '_';
    }
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
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
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
