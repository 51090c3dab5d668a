#include "tools/torvane/temp_folder.h"

#include <filesystem>
#include <fstream>
#include <ostream>

#include "platform/files.h"
#include "tools/torvane/cli_errors.h"
#include "tools/torvane/host_from_files.h"

namespace torvane {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRecordName = ".torvane-written";

std::set<std::string> recordedNames(const std::string& folder) {
    std::set<std::string> names;
    std::ifstream record(fs::u8path(folder + kRecordName), std::ios::binary);
    for (std::string name; std::getline(record, name);) {
        if (!name.empty()) names.insert(name);
    }
    return names;
}

// The folder as written, without trailing separators, for its parent.
fs::path withoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && (path.back() == '/' || path.back() == platform::kPathSeparator)) path.pop_back();
    return fs::u8path(path);
}

}  // namespace

std::set<std::string> folderEntries(const std::string& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (fs::directory_iterator entry(fs::u8path(folder), error), end; !error && entry != end; entry.increment(error)) {
        names.insert(entry->path().filename().u8string());
    }
    names.erase(kRecordName);
    return names;
}

std::string prepareTempFolder(const std::string& given, bool fresh, std::ostream& err) {
    const std::string quoted = "cannot use temporary folder '" + given + "': ";
    if (!isDirectory(given)) {
        if (platform::pathExists(given)) throw UsageError(quoted + "it is a file");
        const fs::path parent = withoutTrailingSeparators(given).parent_path();
        if (!parent.empty() && !isDirectory(parent.u8string())) {
            throw UsageError(quoted + "the folder '" + parent.u8string() + "' it would go in does not exist");
        }
        if (!platform::createDirectory(given)) throw UsageError(quoted + "it cannot be created there");
    }
    std::error_code error;
    const fs::path absolute = fs::absolute(fs::u8path(given), error).lexically_normal();
    const std::string folder = asFolder(error ? given : absolute.u8string());

    const std::set<std::string> present = folderEntries(folder);
    if (fresh) {
        const std::set<std::string> written = recordedNames(folder);
        for (const std::string& name : present) {
            if (written.count(name)) continue;
            throw UsageError("--fresh would empty '" + given + "', but it holds '" + name +
                             "', which torvane did not write: empty it yourself or choose another folder");
        }
        for (const std::string& name : present) fs::remove_all(fs::u8path(folder + name), error);
        fs::remove(fs::u8path(folder + kRecordName), error);
    } else if (!present.empty()) {
        err << "torvane: '" << given
            << "' is not empty: files saved now take other names beside those there (--fresh removes what "
               "torvane wrote there first)\n";
    }
    return folder;
}

void recordWrittenFiles(const std::string& folder, const std::set<std::string>& before) {
    std::set<std::string> record = recordedNames(folder);
    const std::set<std::string> now = folderEntries(folder);
    for (auto name = record.begin(); name != record.end();) name = now.count(*name) ? std::next(name) : record.erase(name);
    for (const std::string& name : now) {
        if (!before.count(name)) record.insert(name);
    }
    std::ofstream out(fs::u8path(folder + kRecordName), std::ios::binary | std::ios::trunc);
    for (const std::string& name : record) out << name << '\n';
}

}  // namespace torvane
