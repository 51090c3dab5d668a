#include "platform/ini.h"

#include "platform/ini_text.h"

namespace platform {

std::string readProfileString(const std::string& section, const std::string& key,
                              const std::string& defaultValue, int size, const std::string& path) {
    return readProfileStringFromFile(section, key, defaultValue, size, path);
}

}  // namespace platform
