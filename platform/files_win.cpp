#include "platform/files.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/win/owned.h"

namespace platform {
namespace {

PathEncoding gPathEncoding = PathEncoding::AnsiCodePage;

bool utf8Paths() { return gPathEncoding == PathEncoding::Utf8; }

UINT pathCodePage() { return utf8Paths() ? CP_UTF8 : CP_ACP; }

// OpenFile takes paths shorter than OFS_MAXPATHNAME only; a longer one (a
// deep temporary or plug-in folder) is opened with CreateFileA instead of
// being reported as unreadable.
OwnedHandle openForReading(const std::string& path) {
    if (utf8Paths()) {
        return OwnedHandle(nullIfInvalid(CreateFileW(widePath(path).c_str(), GENERIC_READ,
                                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                     FILE_ATTRIBUTE_NORMAL, nullptr)));
    }
    if (path.size() < OFS_MAXPATHNAME) {
        OFSTRUCT info;
        const HFILE opened = OpenFile(path.c_str(), &info, OF_READ);
        if (opened == HFILE_ERROR) return nullptr;
        return OwnedHandle(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(opened)));
    }
    return OwnedHandle(nullIfInvalid(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

DWORD attributesOf(const std::string& path) {
    return utf8Paths() ? GetFileAttributesW(widePath(path).c_str()) : GetFileAttributesA(path.c_str());
}

}  // namespace

void setPathEncoding(PathEncoding encoding) { gPathEncoding = encoding; }

PathEncoding pathEncoding() { return gPathEncoding; }

std::wstring widePath(const std::string& path) {
    if (path.empty()) return std::wstring();
    const int size = static_cast<int>(path.size());
    const int length = MultiByteToWideChar(pathCodePage(), 0, path.data(), size, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(pathCodePage(), 0, path.data(), size, &wide[0], length);
    return wide;
}

std::string narrowPath(const std::wstring& path) {
    if (path.empty()) return std::string();
    const int size = static_cast<int>(path.size());
    const int length = WideCharToMultiByte(pathCodePage(), 0, path.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(pathCodePage(), 0, path.data(), size, &narrow[0], length, nullptr, nullptr);
    return narrow;
}

bool fileExists(const std::string& path) {
    if (utf8Paths()) {
        WIN32_FIND_DATAW found;
        const OwnedFind search(nullIfInvalid(FindFirstFileW(widePath(path).c_str(), &found)));
        return search && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }
    WIN32_FIND_DATAA found;
    const OwnedFind search(nullIfInvalid(FindFirstFileA(path.c_str(), &found)));
    return search && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool pathExists(const std::string& path) { return attributesOf(path) != INVALID_FILE_ATTRIBUTES; }

bool isDirectory(const std::string& path) {
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<std::string> readFile(const std::string& path) {
    const OwnedHandle file = openForReading(path);
    if (!file) return std::nullopt;
    const DWORD size = GetFileSize(file.get(), nullptr);
    std::string content;
    if (size != INVALID_FILE_SIZE && size > 0) {
        content.resize(size);
        DWORD read = 0;
        if (ReadFile(file.get(), &content[0], size, &read, nullptr)) {
            content.resize(read);
        } else {
            content.clear();
        }
    }
    return content;
}

bool writeFileInPieces(const std::string& path, const std::function<void(const PieceSink& sink)>& pieces) {
    const OwnedHandle file(nullIfInvalid(
        utf8Paths() ? CreateFileW(widePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_TEMPORARY, nullptr)
                    : CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_TEMPORARY, nullptr)));
    if (!file) return false;
    bool written = true;
    pieces([&](std::string_view piece) {
        while (written && !piece.empty()) {
            const DWORD length = static_cast<DWORD>(std::min(piece.size(), kMostWrittenAtOnce));
            DWORD done = 0;
            written = WriteFile(file.get(), piece.data(), length, &done, nullptr) && done == length;
            piece.remove_prefix(length);
        }
    });
    return written;
}

bool writeFile(const std::string& text, const std::string& path) {
    return writeFileInPieces(path, [&](const PieceSink& sink) { sink(std::string_view(text.c_str())); });
}

bool createDirectory(const std::string& path) {
    return (utf8Paths() ? CreateDirectoryW(widePath(path).c_str(), nullptr)
                        : CreateDirectoryA(path.c_str(), nullptr)) != 0;
}

std::FILE* openFile(const std::string& path, const char* mode) {
    if (!utf8Paths()) return std::fopen(path.c_str(), mode);
    std::wstring wideMode;
    for (const char* c = mode; *c; ++c) wideMode += static_cast<wchar_t>(*c);
    return _wfopen(widePath(path).c_str(), wideMode.c_str());
}

int renameFile(const std::string& from, const std::string& to) {
    if (!utf8Paths()) return std::rename(from.c_str(), to.c_str());
    return _wrename(widePath(from).c_str(), widePath(to).c_str());
}

int removeFile(const std::string& path) {
    if (!utf8Paths()) return std::remove(path.c_str());
    return _wremove(widePath(path).c_str());
}

bool truncateOpenFile(std::FILE* file, unsigned long long size) {
    return std::fflush(file) == 0 && _chsize_s(_fileno(file), static_cast<__int64>(size)) == 0;
}

bool seekOpenFile(std::FILE* file, unsigned long long offset) {
    return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
}

std::vector<DirectoryEntry> listDirectory(const std::string& folder, const std::string& suffix) {
    std::vector<DirectoryEntry> entries;
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '\\') pattern += '\\';
    pattern += "*" + suffix;
    if (utf8Paths()) {
        WIN32_FIND_DATAW found;
        const OwnedFind search(nullIfInvalid(FindFirstFileW(widePath(pattern).c_str(), &found)));
        if (!search) return entries;
        do {
            entries.push_back({narrowPath(found.cFileName), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
        } while (FindNextFileW(search.get(), &found));
        return entries;
    }
    WIN32_FIND_DATAA found;
    const OwnedFind search(nullIfInvalid(FindFirstFileA(pattern.c_str(), &found)));
    if (!search) return entries;
    do {
        entries.push_back({found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(search.get(), &found));
    return entries;
}

std::string systemTempFolder() {
    wchar_t folder[MAX_PATH + 2];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH + 1) return ".\\";
    std::string path = narrowPath(std::wstring(folder, length));
    if (path.back() != '\\' && path.back() != '/') path += '\\';
    return path;
}

std::string executablePath() {
    if (utf8Paths()) {
        wchar_t path[32768];
        const DWORD length = GetModuleFileNameW(nullptr, path, sizeof path / sizeof path[0]);
        if (length == 0 || length >= sizeof path / sizeof path[0] - 1) return {};
        return narrowPath(std::wstring(path, length));
    }
    char path[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    // A path that did not fit is cut short: no path is better than a wrong one.
    if (length == 0 || length >= sizeof path - 1) return {};
    return std::string(path, length);
}

namespace {

std::string systemMessage(DWORD error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length ? std::string(text, length) : "error " + std::to_string(error);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
        message.pop_back();
    }
    return message;
}

}  // namespace

std::string replaceFile(const std::string& from, const std::string& to) {
    // Within one folder this is a rename in place of the old file, as on Linux.
    if (MoveFileExW(widePath(from).c_str(), widePath(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return std::string();
    }
    return systemMessage(GetLastError());
}

bool sameFile(const std::string& first, const std::string& second) {
    BY_HANDLE_FILE_INFORMATION info[2];
    const std::string* paths[2] = {&first, &second};
    for (int i = 0; i < 2; ++i) {
        // No access asked for: the attributes of a file open elsewhere can be read.
        const OwnedHandle file(nullIfInvalid(CreateFileW(widePath(*paths[i]).c_str(), 0,
                                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)));
        if (!file || !GetFileInformationByHandle(file.get(), &info[i])) return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

void useBinaryStandardOutput() {
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace platform
