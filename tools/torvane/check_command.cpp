#include <filesystem>
#include <ostream>

#include "mime/mime_part.h"
#include "mime/part_bodies.h"
#include "platform/message_box.h"
#include "tools/torvane/arguments.h"
#include "tools/torvane/cli_errors.h"
#include "tools/torvane/commands.h"
#include "tools/torvane/host_from_files.h"
#include "tools/torvane/input_files.h"
#include "tools/torvane/placeholder_reference.h"
#include "tools/torvane/template_check.h"

namespace torvane {

const char* const kCheckHelp =
    "usage: torvane check TEMPLATE | --list\n"
    "\n"
    "Parses TEMPLATE as the plug-in does and reports whether it has a text/html\n"
    "part, every placeholder in it (with its line in the HTML part), texts that\n"
    "look like a mistyped placeholder, and a missing element with id\n"
    "\"torvane_text_id\" (where the caret goes).\n"
    "Exit status: 0 clean, 1 with warnings, 2 when the file is unusable.\n"
    "'torvane check --list' lists every placeholder, with what it inserts.\n";

namespace {

// The template's decoded HTML, through the same parsing and decoding the
// plug-in uses; throws UsageError when there is none.
std::string templateHtml(const std::string& path, const std::string& source) {
    HostFiles files;
    files.rawMessage = "Subject: check\r\n\r\n";
    files.tempFolder = makeFreshTempFolder();
    files.mailboxFolder = files.tempFolder;
    playHost(files);
    MimePart root;
    const char* cursor = source.c_str();
    root.parse(cursor, nullptr);
    std::string html;
    const bool found = extractHtmlPart(root, html);
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::u8path(files.tempFolder), ignored);
    if (!found) {
        throw UsageError("'" + path + "' has no text/html part: the plug-in would render an empty template");
    }
    return html;
}

}  // namespace

int checkCommand(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    const Arguments arguments = parseArguments(words, {}, {"--list"});
    if (arguments.has("--list") && arguments.positional.empty()) {
        printPlaceholderReference(out);
        return 0;
    }
    if (arguments.positional.size() != 1) throw UsageError("check takes one TEMPLATE file (see 'torvane check --help')");
    const std::string path = arguments.positional[0];
    const std::string source = readInputFile(path);
    requireMessage(path, source);
    platform::setMessageBoxSink([&err](const std::string& text, const std::string& caption) {
        err << "torvane: " << caption << (caption.empty() ? "" : ": ") << text << '\n';
    });

    const TemplateCheck check = checkTemplateHtml(templateHtml(path, source));
    out << path << ": text/html part found\n";
    out << "placeholders (" << check.placeholders.size() << "):\n";
    for (const TemplateFinding& found : check.placeholders) out << "  line " << found.line << ": " << found.text << '\n';
    std::size_t warnings = check.warnings.size();
    if (!check.hasTextElement) ++warnings;
    out << "warnings (" << warnings << "):\n";
    for (const TemplateFinding& warning : check.warnings) {
        out << "  line " << warning.line << ": " << warning.text << " - " << warning.note << '\n';
    }
    if (!check.hasTextElement) {
        out << "  no element with id \"torvane_text_id\": the caret is not placed in the reply\n";
    }
    return warnings == 0 ? 0 : 1;
}

}  // namespace torvane
