#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

PathEncoding gPathEncoding = PathEncoding::AnsiCodePage;

}  // namespace

void setPathEncoding(PathEncoding encoding) { gPathEncoding = encoding; }

PathEncoding pathEncoding() { return gPathEncoding; }

bool fileExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool pathExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

// Whole files through plain system calls: a compose flow reads and writes
// two files per inline picture, and stdio would add a status call to each.
std::optional<std::string> readFile(const std::string& path) {
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) return std::nullopt;
    struct stat info {};
    if (fstat(file, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(file);
        return std::nullopt;
    }
    // One byte more than the file holds: a short read of a regular file is
    // its end, so a whole file takes one read.
    std::string content(static_cast<std::size_t>(info.st_size) + 1, '\0');
    std::size_t got = 0;
    bool failed = false;
    for (;;) {
        if (got == content.size()) content.resize(content.size() * 2);
        const ssize_t n = ::read(file, &content[got], content.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            failed = n < 0;
            break;
        }
        got += static_cast<std::size_t>(n);
        if (got < content.size() && S_ISREG(info.st_mode)) break;
    }
    ::close(file);
    if (failed) return std::string();
    content.resize(got);
    return content;
}

bool writeFileInPieces(const std::string& path, const std::function<void(const PieceSink& sink)>& pieces) {
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (file < 0) return false;
    bool written = true;
    pieces([&](std::string_view piece) {
        const char* next = piece.data();
        std::size_t left = written ? piece.size() : 0;
        while (left > 0) {
            const ssize_t n = ::write(file, next, std::min(left, kMostWrittenAtOnce));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                written = false;
                break;
            }
            next += n;
            left -= static_cast<std::size_t>(n);
        }
    });
    return ::close(file) == 0 && written;
}

bool writeFile(const std::string& text, const std::string& path) {
    return writeFileInPieces(path, [&](const PieceSink& sink) { sink(std::string_view(text.c_str())); });
}

bool createDirectory(const std::string& path) {
    return mkdir(path.c_str(), 0777) == 0;
}

bool isDirectory(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::FILE* openFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

int renameFile(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()); }

int removeFile(const std::string& path) { return std::remove(path.c_str()); }

bool truncateOpenFile(std::FILE* file, unsigned long long size) {
    return std::fflush(file) == 0 && ftruncate(fileno(file), static_cast<off_t>(size)) == 0;
}

bool seekOpenFile(std::FILE* file, unsigned long long offset) {
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

std::string systemTempFolder() {
    for (const char* variable : {"TMPDIR", "TEMP", "TMP"}) {
        const char* configured = std::getenv(variable);
        if (!configured || !*configured) continue;
        std::string folder = configured;
        if (folder.back() != '/') folder += '/';
        return folder;
    }
    return "/tmp/";
}

std::vector<DirectoryEntry> listDirectory(const std::string& folder, const std::string& suffix) {
    std::vector<DirectoryEntry> entries;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return entries;
    std::string prefix = folder;
    if (!prefix.empty() && prefix.back() != kPathSeparator) prefix += kPathSeparator;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() < suffix.size() ||
            strcasecmp(name.c_str() + name.size() - suffix.size(), suffix.c_str()) != 0) {
            continue;
        }
        struct stat info {};
        const bool isDirectory = stat((prefix + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        entries.push_back({name, isDirectory});
    }
    closedir(dir);
    return entries;
}

std::string executablePath() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path) return {};
    return std::string(path, static_cast<std::size_t>(length));
}

std::string replaceFile(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 ? std::string() : std::strerror(errno);
}

bool sameFile(const std::string& first, const std::string& second) {
    struct stat a {}, b {};
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

void useBinaryStandardOutput() {}

}  // namespace platform
