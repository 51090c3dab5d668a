#include "shell/module_paths.h"

#include "platform/files.h"

namespace {

struct ModulePaths {
    std::string settingsPath;
    std::string moduleFolder;
};

ModulePaths& modulePaths() {
    static ModulePaths paths;
    return paths;
}

}  // namespace

std::string settingsPathOf(const std::string& modulePath) {
    const std::size_t dot = modulePath.rfind('.');
    if (dot == std::string::npos) return modulePath + ".tmp";
    return modulePath.substr(0, dot) + ".ini";
}

std::string moduleFolderOf(const std::string& modulePath) {
    const std::size_t separator = modulePath.rfind(platform::kPathSeparator);
    if (separator == std::string::npos) return std::string();
    return modulePath.substr(0, separator + 1);
}

void setModulePath(const std::string& modulePath) {
    modulePaths().settingsPath = settingsPathOf(modulePath);
    modulePaths().moduleFolder = moduleFolderOf(modulePath);
}

const std::string& settingsPath() { return modulePaths().settingsPath; }
const std::string& moduleFolder() { return modulePaths().moduleFolder; }
