#include "platform/ini.h"

#include <strings.h>

#include <fstream>

namespace platform {
namespace {

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string cutToSize(const std::string& value, int size) {
    if (size <= 0) return std::string();
    return value.substr(0, static_cast<std::size_t>(size - 1));
}

}  // namespace

std::string readProfileString(const std::string& section, const std::string& key,
                              const std::string& defaultValue, int size, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (in) {
        std::string line;
        bool inSection = false;
        while (std::getline(in, line)) {
            const std::string text = trim(line);
            if (text.empty() || text[0] == ';') continue;
            if (text[0] == '[') {
                const auto close = text.find(']');
                const std::string name = trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
                inSection = strcasecmp(name.c_str(), section.c_str()) == 0;
                continue;
            }
            if (!inSection) continue;
            const auto equals = text.find('=');
            if (equals == std::string::npos) continue;
            if (strcasecmp(trim(text.substr(0, equals)).c_str(), key.c_str()) != 0) continue;
            std::string value = trim(text.substr(equals + 1));
            // Like Windows, one pair of surrounding quotes is dropped.
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
                value = value.substr(1, value.size() - 2);
            }
            return cutToSize(value, size);
        }
    }
    return cutToSize(defaultValue, size);
}

}  // namespace platform
