#include "platform/files.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

#include "platform/win/owned.h"

namespace platform {

bool fileExists(const std::string& path) {
    WIN32_FIND_DATAA found;
    const OwnedFind search(nullIfInvalid(FindFirstFileA(path.c_str(), &found)));
    return search && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool pathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

// OpenFile takes paths shorter than OFS_MAXPATHNAME only; a longer one (a
// deep temporary or plug-in folder) is opened with CreateFileA instead of
// being reported as unreadable.
OwnedHandle openForReading(const std::string& path) {
    if (path.size() < OFS_MAXPATHNAME) {
        OFSTRUCT info;
        const HFILE opened = OpenFile(path.c_str(), &info, OF_READ);
        if (opened == HFILE_ERROR) return nullptr;
        return OwnedHandle(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(opened)));
    }
    return OwnedHandle(nullIfInvalid(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

}  // namespace

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

bool writeFile(const std::string& text, const std::string& path) {
    const OwnedHandle file(nullIfInvalid(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                                     CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr)));
    if (!file) return false;
    const DWORD length = static_cast<DWORD>(std::strlen(text.c_str()));
    DWORD written = 0;
    return WriteFile(file.get(), text.data(), length, &written, nullptr) && written == length;
}

bool createDirectory(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

std::vector<DirectoryEntry> listDirectory(const std::string& folder, const std::string& suffix) {
    std::vector<DirectoryEntry> entries;
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '\\') pattern += '\\';
    pattern += "*" + suffix;
    WIN32_FIND_DATAA found;
    const OwnedFind search(nullIfInvalid(FindFirstFileA(pattern.c_str(), &found)));
    if (!search) return entries;
    do {
        entries.push_back({found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(search.get(), &found));
    return entries;
}

std::string executablePath() {
    char path[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    // A path that did not fit is cut short: no path is better than a wrong one.
    if (length == 0 || length >= sizeof path - 1) return {};
    return std::string(path, length);
}

namespace {

std::wstring wideFromUtf8Path(const std::string& path) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), &wide[0], length);
    return wide;
}

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
    if (MoveFileExW(wideFromUtf8Path(from).c_str(), wideFromUtf8Path(to).c_str(),
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
        const OwnedHandle file(nullIfInvalid(CreateFileW(wideFromUtf8Path(*paths[i]).c_str(), 0,
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
