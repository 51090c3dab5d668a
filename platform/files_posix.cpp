#include "platform/files.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>

namespace platform {

bool fileExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool pathExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

std::optional<std::string> readFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::nullopt;
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
        std::fclose(file);
        return std::nullopt;
    }
    // Read straight into the result, sized once: decoded attachments can be large.
    std::string content(static_cast<std::size_t>(info.st_size), '\0');
    content.resize(std::fread(content.data(), 1, content.size(), file));
    char more[4096];
    for (std::size_t got; (got = std::fread(more, 1, sizeof more, file)) > 0;) content.append(more, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return std::string();
    return content;
}

bool writeFile(const std::string& text, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const std::size_t length = std::strlen(text.c_str());
    const bool written = std::fwrite(text.data(), 1, length, file) == length;
    return std::fclose(file) == 0 && written;
}

bool createDirectory(const std::string& path) {
    return mkdir(path.c_str(), 0777) == 0;
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

}  // namespace platform
