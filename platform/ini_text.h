// The INI reading of every platform whose system does not read the file
// itself (Linux; the torvane tool on Windows, whose paths and texts are
// UTF-8), with the behaviour of GetPrivateProfileStringA.
#pragma once

#include <string>

namespace platform {

// A settings file's text as UTF-8: a UTF-8 byte-order mark is dropped, and a
// file in UTF-16 (little- or big-endian, with its byte-order mark, as Notepad
// saves "Unicode") is converted. Any other text is returned as it is.
std::string iniTextOf(const std::string& fileContent);

// The value of `key` in `section` of `text` (names in any letter case, one
// pair of surrounding quotes dropped), or `defaultValue`; cut to size - 1.
std::string profileStringIn(const std::string& text, const std::string& section, const std::string& key,
                            const std::string& defaultValue, int size);

// readProfileString through the file functions of platform/files.h.
std::string readProfileStringFromFile(const std::string& section, const std::string& key,
                                      const std::string& defaultValue, int size, const std::string& path);

}  // namespace platform
