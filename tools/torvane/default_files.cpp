#include "tools/torvane/default_files.h"

#include <cstddef>
#include <ctime>
#include <random>

#include "platform/files.h"
#include "tools/torvane/cli_errors.h"
#include "tools/torvane/host_from_files.h"
#include "tools/torvane/template_check.h"

extern const char kBuiltinReplyTemplate[];
extern const std::size_t kBuiltinReplyTemplate_SIZE;
extern const char kBuiltinForwardTemplate[];
extern const std::size_t kBuiltinForwardTemplate_SIZE;

namespace torvane {
namespace {


std::string builtinTemplate(bool forward) {
    return forward ? std::string(kBuiltinForwardTemplate, kBuiltinForwardTemplate_SIZE)
                   : std::string(kBuiltinReplyTemplate, kBuiltinReplyTemplate_SIZE);
}

struct MailboxPlaceholder {
    const char* start;
    const char* meaning;
};
constexpr MailboxPlaceholder kMailboxPlaceholders[] = {
    {"%N", "your name, YourName in MailBox.ini"},
    {"%A", "your address, MailAddress in MailBox.ini"},
    {"%G", "a signature file"},
    {"%R", "a random signature file"},
};

// A placeholder's arguments may hold others (%CETXT{%N}{%n}): they count too.
void requireNoMailboxPlaceholder(const std::string& text) {
    for (const TemplateFinding& found : checkTemplateHtml(text).placeholders) {
        for (const MailboxPlaceholder& placeholder : kMailboxPlaceholders) {
            if (found.text.rfind(placeholder.start, 0) != 0) continue;
            throw UsageError("the template uses " + found.text + " (" + placeholder.meaning +
                             "), which needs a mailbox: give --mailbox FOLDER, the folder with MailBox.ini and "
                             "the $$$*.txt signature files, or put that folder beside torvane as 'mailbox'");
        }
        if (found.text.size() > 2) requireNoMailboxPlaceholder(found.text.substr(1));
    }
}

}  // namespace

std::string toolFolder() {

    const std::string tool = platform::executablePath();
    const std::size_t folderEnd = tool.find_last_of("/\\");
    return folderEnd == std::string::npos ? std::string() : tool.substr(0, folderEnd + 1);
}

TemplateFile::TemplateFile(const std::string& given, bool forward) {
    if (!given.empty()) {
        path_ = given;
        return;
    }
    const std::string beside = toolFolder() + (forward ? "torvanefwd.tml" : "torvane.tml");
    if (!toolFolder().empty() && platform::fileExists(beside)) {
        path_ = beside;
        return;
    }
    const std::string base = platform::systemTempFolder();
    std::random_device seed;
    std::mt19937 random(seed() ^ static_cast<unsigned>(std::time(nullptr)));
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const std::string candidate =
            base + "torvane-classic-" + std::to_string(random() % 1000000000u) + (forward ? "-fwd.tml" : ".tml");
        if (platform::pathExists(candidate)) continue;
        if (!platform::writeFile(builtinTemplate(forward), candidate)) break;
        path_ = candidate;
        temporary_ = true;
    }
    if (path_.empty()) throw UsageError("cannot write the built-in template into '" + base + "'");
}

TemplateFile::~TemplateFile() {
    if (temporary_) platform::removeFile(path_);
}

std::string mailboxFolder(const std::string& given, const std::string& templateText) {
    if (!given.empty()) {
        if (!platform::isDirectory(given)) throw UsageError("cannot use mailbox '" + given + "': not a folder");
        return asFolder(given);
    }
    const std::string beside = toolFolder() + "mailbox";
    if (!toolFolder().empty() && platform::isDirectory(beside)) return asFolder(beside);
    requireNoMailboxPlaceholder(templateText);
    return std::string();
}

std::string emptyMailboxIn(const std::string& tempFolder) {
    // '<' is in no saved file name (Windows forbids it), so nothing is there.
    return asFolder(tempFolder + "<no mailbox>");
}

}  // namespace torvane
