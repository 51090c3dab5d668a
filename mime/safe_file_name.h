// File names taken from mail are the sender's choice. These helpers turn
// them into a single, harmless name inside the folder they are saved in.
#pragma once

#include <string>

// The last path component of `name` (split at "\" and "/"), without a drive
// prefix, with the characters Windows forbids in names (<>:"/\|?* and
// control characters) replaced by "_", trailing dots and spaces dropped
// (Windows drops them itself) and a device name such as CON or LPT1
// prefixed with "_". Empty when nothing usable is left ("", ".", "..").
std::string safeFileName(const std::string& name);

// A file extension from mail: forbidden characters replaced as above;
// empty when nothing usable is left.
std::string safeExtension(const std::string& extension);

// The text after the last "\" or "/" of a path.
std::string lastPathComponent(const std::string& path);
