#include "tools/torvane/host_from_files.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <system_error>

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

}  // namespace

std::string asFolder(const std::string& folder) {
    if (folder.empty()) return std::string(1, platform::kPathSeparator);
    const char last = folder.back();
    if (last == platform::kPathSeparator || last == '/') return folder;
    return folder + platform::kPathSeparator;
}

bool isDirectory(const std::string& path) { return platform::isDirectory(path); }

std::string makeFreshTempFolder() {
    const std::string base = platform::systemTempFolder();
    std::random_device seed;
    std::mt19937 random(seed() ^ static_cast<unsigned>(std::time(nullptr)));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = base + "torvane-" + std::to_string(random() % 1000000000u);
        if (platform::createDirectory(candidate)) return asFolder(candidate);
    }
    throw UsageError("cannot create a temporary folder in '" + base + "'");
}

const std::string& ToolTempFolder::make() {
    folder_ = makeFreshTempFolder();
    return folder_;
}

bool ToolTempFolder::keepIfUsed() {
    std::error_code error;
    keep_ = !folder_.empty() &&
            std::filesystem::directory_iterator(std::filesystem::u8path(folder_), error) !=
                std::filesystem::directory_iterator();
    return keep_;
}

ToolTempFolder::~ToolTempFolder() {
    if (folder_.empty() || keep_) return;
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::u8path(folder_), ignored);
}

void startHost(const HostFiles& files) {
    hostsim::SimHost& host = hostsim::simHost();
    host.reset();
    hostsim::installSimulatedHost();
    host.recordsCalls = false;
    host.localCodePage = kLocalCodePage;
    // The file names the plug-in's code makes are in the host's code page.
    platform::setPathEncoding(platform::PathEncoding::Utf8);
    platform::setLocalCodePage(kLocalCodePage);
    host.dataFolder.clear();
    host.currentMailBox = files.mailboxFolder;
    host.tempFolder = files.tempFolder;
}

HostWindow playHost(HostFiles& files) {
    startHost(files);
    hostsim::SimHost& host = hostsim::simHost();
    if (files.messageFile.empty()) {
        host.message = hostsim::loadMessage(files.rawMessage.release(), kLocalCodePage);
    } else {
        // Read from the tool's text, then from the file when the plug-in
        // asks: the host keeps no copy, and the tool's mapping of the file,
        // whose pages are already at hand, is the one it serves first.
        host.message = hostsim::loadMessageWithoutSource(files.rawMessage.view(), kLocalCodePage);
        host.mapsSourceFile = true;
        if (!hostsim::serveSourceFromFile(host.message, files.messageFile, files.rawMessage.size())) {
            host.message.rawSource = std::string(files.rawMessage.view());
        } else {
            std::size_t begin = 0;
            if (std::optional<platform::FileText> mapping = files.rawMessage.releaseMapping(begin)) {
                host.offerSourceMapping(std::move(*mapping), begin);
            }
        }
        files.rawMessage = MessageText();
    }
    host.indexMessageHeaders();
    // Any value identifies the one compose window; it is never dereferenced.
    HostWindow window = reinterpret_cast<HostWindow>(static_cast<std::uintptr_t>(0x7e57));
    const std::string* subject = host.messageHeader("Subject");
    host.compositions[window].subject = hostsim::composeSubject(subject ? *subject : std::string(), files.forward);
    return window;
}

}  // namespace torvane
