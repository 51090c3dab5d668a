// INI reading with the behaviour of GetPrivateProfileStringA: a missing
// file, section or key gives the default, and the value is cut to size - 1.
#pragma once

#include <string>

namespace platform {

std::string readProfileString(const std::string& section, const std::string& key,
                              const std::string& defaultValue, int size, const std::string& path);

}  // namespace platform
