// File operations shared by the whole plug-in. On Windows they call exactly
// the Win32 functions the plug-in is specified with; on Linux the standard
// library. Paths use the platform's separator (kPathSeparator).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

#if defined(_WIN32)
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// True when a file (not a directory) exists at the path.
bool fileExists(const std::string& path);

// True when a file or a directory exists at the path (a directory is not
// listed to find out).
bool pathExists(const std::string& path);

// The whole content; an empty text when the read failed; none when the file
// cannot be opened.
std::optional<std::string> readFile(const std::string& path);

// Creates or truncates the file and writes the text up to its first NUL
// character. Failures are silent; the result tells whether it worked.
bool writeFile(const std::string& text, const std::string& path);

// Creates one directory; false when it exists already or cannot be made.
bool createDirectory(const std::string& path);

struct DirectoryEntry {
    std::string name;
    bool isDirectory = false;
};

// Entries of `folder` (ending in a separator or not) whose names end in
// `suffix` (case-insensitive), in the order the file system returns them.
// "." and ".." are included as the system reports them. Empty when the
// folder cannot be listed.
std::vector<DirectoryEntry> listDirectory(const std::string& folder, const std::string& suffix);

// The running program's own file; empty when the system does not tell.
std::string executablePath();

// Moves the file `from` (UTF-8 path) onto `to` in one step, replacing a file
// there: a reader sees the old file or the new one, never a part. Empty when
// it worked; otherwise the system's reason.
std::string replaceFile(const std::string& from, const std::string& to);

// True when both UTF-8 paths name one existing file (through links, other
// spellings or letter case the file system ignores).
bool sameFile(const std::string& first, const std::string& second);

// Standard output writes bytes as they are given (on Windows, no CR before
// each LF).
void useBinaryStandardOutput();

}  // namespace platform
