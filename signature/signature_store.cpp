#include "signature/signature_store.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/files.h"
#include "platform/host_api.h"
#include "platform/host_buffer.h"
#include "platform/message_box.h"
#include "session/compose_session.h"
#include "text/no_case.h"

namespace {

constexpr std::size_t kMaxRandomCandidates = 100;
// The random draw keeps its candidates in 50-character slots (49 and a
// terminator); longer names are left out of the draw rather than cut, so
// that a cut name never points at a file that does not exist. A named
// lookup keeps no list and takes names of any length.
constexpr std::size_t kMaxRandomNameLength = 49;
// The search pattern (folder, separator, "*.txt") must fit in 256 characters.
constexpr std::size_t kMaxPatternLength = 255;
constexpr int kLineBufferSize = 32768;

bool patternFits(const std::string& folder) {
    std::size_t length = folder.size() + 5;  // "*.txt"
    if (folder.empty() || folder.back() != platform::kPathSeparator) ++length;
    return length <= kMaxPatternLength;
}

bool isCandidate(const platform::DirectoryEntry& entry) {
    if (entry.isDirectory || entry.name == "." || entry.name == "..") return false;
    return entry.name.compare(0, 3, "$$$") == 0;
}

bool namesHtmlSignature(const std::string& fileName) {
    return fileName.size() >= 13 && fileName.compare(8, 5, "html_") == 0;
}

// The same draw on every C runtime: r in 0..32767, scaled to the count.
std::size_t randomIndex(std::size_t count) {
    const int r = std::rand() % 32768;
    const auto index = static_cast<std::size_t>(static_cast<double>(r) * static_cast<double>(count) / 32767.0);
    return std::min(index, count - 1);
}

// Windows text-mode reading: a CR LF pair arrives as LF; a lone CR stays.
std::string withTextModeLineEnds(const std::string& raw) {
    std::string text;
    text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        text += raw[i];
    }
    return text;
}

}  // namespace

std::string signatureFolder() {
    const char* dataFolder = hostApi().BKA_GetDataFolder();
    const char* mailBox = hostApi().BKA_GetCurrentMailBox();
    return std::string(dataFolder ? dataFolder : "") + (mailBox ? mailBox : "");
}

bool findSignatureFile(const std::string& folder, ComposeSession& session, const std::string& wantedName,
                       bool random, std::string& outputName) {
    bool found = false;
    if (patternFits(folder)) {
        std::vector<std::string> gathered;
        for (const auto& entry : platform::listDirectory(folder, ".txt")) {
            if (!isCandidate(entry)) continue;
            if (!random) {
                if (containsNoCase(entry.name, wantedName) != std::string::npos) {
                    outputName = entry.name;
                    found = true;
                    break;
                }
                continue;
            }
            if (entry.name.size() > kMaxRandomNameLength) continue;
            gathered.push_back(entry.name);
            if (gathered.size() == kMaxRandomCandidates) break;
        }
        if (random && !gathered.empty()) {
            outputName = gathered[randomIndex(gathered.size())];
            found = true;
        }
    }
    session.signatureIsHtml = namesHtmlSignature(outputName);
    return found;
}

void loadSignature(ComposeSession& session, const std::string& path) {
    session.signatureText.clear();
    if (!platform::fileExists(path)) return;
    // Through the platform's file functions: the tool's paths are UTF-8.
    const std::optional<std::string> raw = platform::readFile(path);
    if (!raw) return;
    try {
        std::istringstream in(withTextModeLineEnds(*raw));
        HostBuffer line(kLineBufferSize);
        // A line of more than 32,767 characters fails the read after its
        // first 32,767; the loop appends that part and stops.
        while (!in.eof() && !in.fail()) {
            line.clear();
            in.getline(line.data(), line.size());
            session.signatureText += line.text();
            session.signatureText += "\r\n";
        }
        if (!session.signatureText.empty()) session.signatureText += "\r\n";
    } catch (const std::exception&) {
        platform::showMessageBox("IO Error in handling signature!", "Error");
    }
}

void loadRandomSignature(ComposeSession& session) {
    const std::string folder = signatureFolder();
    std::string name;
    const bool found = findSignatureFile(folder, session, "", true, name);
    loadSignature(session, folder + (found ? name : kDefaultSignatureFile));
}
