#include "tests/wine/scratch_folder.h"

#include <windows.h>

#include <stdexcept>

namespace wintest {

ScratchFolder::ScratchFolder() {
    char temp[MAX_PATH + 1] = {};
    if (!GetTempPathA(MAX_PATH, temp)) throw std::runtime_error("no temporary folder");
    static unsigned counter = 0;
    for (;;) {
        path_ = std::string(temp) + "torvane-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++counter) + "\\";
        if (CreateDirectoryA(path_.c_str(), nullptr)) return;
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create " + path_);
    }
}

ScratchFolder::~ScratchFolder() { removeTree(path_); }

std::string ScratchFolder::subfolder(const std::string& name) const {
    const std::string folder = path_ + name + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

void writeTextFile(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + path);
    DWORD written = 0;
    const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != text.size()) throw std::runtime_error("cannot write " + path);
}

void removeTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(folder + name + "\\");
            } else {
                DeleteFileA((folder + name).c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace wintest
