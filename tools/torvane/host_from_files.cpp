#include "tools/torvane/host_from_files.h"

#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>

#include "platform/charset_convert.h"
#include "platform/files.h"
#include "tools/hostsim/message_loader.h"
#include "tools/hostsim/sim_host.h"
#include "tools/torvane/cli_errors.h"

namespace torvane {
namespace {

// The tool's local code page: what the simulated host converts texts into,
// and the plug-in's code the names it decodes itself.
constexpr const char* kLocalCodePage = "UTF-8";

std::string systemTempFolder() {
    for (const char* variable : {"TMPDIR", "TEMP", "TMP"}) {
        if (const char* value = std::getenv(variable)) {
            if (*value) return asFolder(value);
        }
    }
#if defined(_WIN32)
    return asFolder(".");
#else
    return "/tmp/";
#endif
}

}  // namespace

std::string asFolder(const std::string& folder) {
    if (folder.empty()) return std::string(1, platform::kPathSeparator);
    const char last = folder.back();
    if (last == platform::kPathSeparator || last == '/') return folder;
    return folder + platform::kPathSeparator;
}

bool isDirectory(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string makeFreshTempFolder() {
    const std::string base = systemTempFolder();
    std::random_device seed;
    std::mt19937 random(seed() ^ static_cast<unsigned>(std::time(nullptr)));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = base + "torvane-" + std::to_string(random() % 1000000000u);
        if (platform::createDirectory(candidate)) return asFolder(candidate);
    }
    throw UsageError("cannot create a temporary folder in '" + base + "'");
}

std::string examplesFolder() {
    if (const char* configured = std::getenv("TORVANE_EXAMPLES")) {
        if (*configured) return asFolder(configured);
    }
    return asFolder(TORVANE_EXAMPLES_DIR);
}

std::string defaultTemplatePath(bool forward) {
    const char* name = forward ? "torvanefwd.tml" : "torvane.tml";
    // Unpacked from the release archive, the tool sits beside the templates
    // it ships with; the source tree it was built from is not there.
    const std::string tool = platform::executablePath();
    const std::size_t folderEnd = tool.find_last_of("/\\");
    if (folderEnd != std::string::npos) {
        const std::string beside = tool.substr(0, folderEnd + 1) + name;
        if (platform::fileExists(beside)) return beside;
    }
    return asFolder(TORVANE_TEMPLATES_DIR) + "classic" + platform::kPathSeparator + name;
}

void startHost(const HostFiles& files) {
    hostsim::SimHost& host = hostsim::simHost();
    host.reset();
    hostsim::installSimulatedHost();
    host.localCodePage = kLocalCodePage;
    platform::setLocalCodePage(kLocalCodePage);
    host.dataFolder.clear();
    host.currentMailBox = files.mailboxFolder;
    host.tempFolder = files.tempFolder;
}

HostWindow playHost(HostFiles& files) {
    startHost(files);
    hostsim::SimHost& host = hostsim::simHost();
    const std::size_t messageSize = files.rawMessage.size();
    host.message = hostsim::loadMessage(std::move(files.rawMessage), kLocalCodePage);
    host.indexMessageHeaders();
    files.rawMessage.clear();
    std::error_code error;
    const auto fileSize = files.messageFile.empty() ? 0 : std::filesystem::file_size(files.messageFile, error);
    if (!files.messageFile.empty() && !error && fileSize >= messageSize) {
        // The host reads the source from the file when it is asked for it,
        // rather than holding it beside the plug-in's copy of a large message.
        host.message.sourceFile = files.messageFile;
        host.message.sourceOffset = static_cast<std::size_t>(fileSize) - messageSize;
        std::string().swap(host.message.rawSource);
    }
    // Any value identifies the one compose window; it is never dereferenced.
    HostWindow window = reinterpret_cast<HostWindow>(static_cast<std::uintptr_t>(0x7e57));
    const std::string* subject = host.messageHeader("Subject");
    host.compositions[window].subject = hostsim::composeSubject(subject ? *subject : std::string(), files.forward);
    return window;
}

}  // namespace torvane
