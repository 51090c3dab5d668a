// File operations shared by the whole plug-in. On Windows they call exactly
// the Win32 functions the plug-in is specified with; on Linux the standard
// library. Paths use the platform's separator (kPathSeparator).
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

#if defined(_WIN32)
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// How the paths given to these functions, and the names they list, are
// encoded on Windows: in the ANSI code page, as the plug-in's host hands them
// over (the default), or in UTF-8, as the torvane tool keeps them, which
// reach the system through its wide (UTF-16) functions so that every path
// works whatever the code page. Linux paths are bytes either way.
enum class PathEncoding { AnsiCodePage, Utf8 };
void setPathEncoding(PathEncoding encoding);
PathEncoding pathEncoding();

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

// The most a write hands the system at once (Windows takes at most 4 GB; wine
// passes writes on to Linux as they are). On Linux a larger write fills
// the page cache with large folios, taken from memory that a virtual
// machine's host has reclaimed and must fault in again (measured on ext4: a
// 25 MB file written 4 MB at a time took 60-90 ms, 1 MB at a time 8 ms).
constexpr std::size_t kMostWrittenAtOnce = std::size_t{1} << 20;

// Creates or truncates the file as writeFile does and writes, in order, the
// pieces `pieces` hands to its sink: a large text is written without being
// put together first. True when the file was made and every piece written.
using PieceSink = std::function<void(std::string_view piece)>;
bool writeFileInPieces(const std::string& path, const std::function<void(const PieceSink& sink)>& pieces);

// Creates one directory; false when it exists already or cannot be made.
bool createDirectory(const std::string& path);

// True when the path names a directory.
bool isDirectory(const std::string& path);

// std::fopen, std::rename and std::remove with paths in the path encoding;
// errno tells why they failed.
std::FILE* openFile(const std::string& path, const char* mode);
int renameFile(const std::string& from, const std::string& to);
int removeFile(const std::string& path);

// Writes what is buffered, then cuts the open file to `size` bytes; false
// when either failed.
bool truncateOpenFile(std::FILE* file, unsigned long long size);

// Places the open file at byte `offset` from its start (fseek for files
// past 2 GB); false when it cannot.
bool seekOpenFile(std::FILE* file, unsigned long long offset);

// The system's folder for temporary files (on Windows GetTempPath's, which
// follows TMP, TEMP and the user's profile; elsewhere TMPDIR, TEMP or TMP,
// else /tmp),
// ending in a path separator.
std::string systemTempFolder();

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

// Moves the file `from` onto `to` in one step, replacing a file
// there: a reader sees the old file or the new one, never a part. Empty when
// it worked; otherwise the system's reason.
std::string replaceFile(const std::string& from, const std::string& to);

// True when both paths name one existing file (through links, other
// spellings or letter case the file system ignores).
bool sameFile(const std::string& first, const std::string& second);

// Standard output writes bytes as they are given (on Windows, no CR before
// each LF).
void useBinaryStandardOutput();

#if defined(_WIN32)
// A path between the path encoding and the system's UTF-16.
std::wstring widePath(const std::string& path);
std::string narrowPath(const std::wstring& path);
#endif

}  // namespace platform
