// Reading the tool's input files and writing its output without ever
// leaving a partial file behind.
#pragma once

#include <string>

namespace torvane {

// The whole file; throws UsageError "cannot read 'x': <reason>" when it is
// missing, a directory or unreadable.
std::string readInputFile(const std::string& path);

// Throws UsageError unless `content` looks like an RFC 5322 message: not
// empty, no NUL bytes, and a header field on its first line.
void requireMessage(const std::string& path, const std::string& content);

// Writes to a temporary file beside `path` and renames it into place.
void writeOutputFile(const std::string& path, const std::string& content);

}  // namespace torvane
