#include "platform/ini.h"

#include <windows.h>

#include <vector>

#include "platform/files.h"
#include "platform/ini_text.h"

namespace platform {

std::string readProfileString(const std::string& section, const std::string& key,
                              const std::string& defaultValue, int size, const std::string& path) {
    // UTF-8 paths and texts (the torvane tool) are read as on Linux, so that
    // the same files give the same values on both systems.
    if (pathEncoding() == PathEncoding::Utf8) return readProfileStringFromFile(section, key, defaultValue, size, path);
    if (size <= 0) return std::string();
    std::vector<char> buffer(static_cast<std::size_t>(size), '\0');
    GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                             static_cast<DWORD>(size), path.c_str());
    return std::string(buffer.data());
}

}  // namespace platform
