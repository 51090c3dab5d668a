#include <ostream>

#include "platform/message_box.h"
#include "tools/torvane/arguments.h"
#include "tools/torvane/cli_errors.h"
#include "tools/torvane/commands.h"
#include "tools/torvane/placeholder_reference.h"
#include "tools/torvane/template_check.h"
#include "tools/torvane/template_source.h"

namespace torvane {

const char* const kCheckHelp =
    "usage: torvane check TEMPLATE | --list\n"
    "\n"
    "Parses TEMPLATE as the plug-in does and reports whether it has a text/html\n"
    "part, every placeholder in it (with its line in the file), texts that\n"
    "look like a mistyped placeholder, and a missing element with id\n"
    "\"torvane_text_id\" (where the caret goes).\n"
    "Exit status: 0 clean, 1 with warnings, 2 when the file is unusable.\n"
    "'torvane check --list' lists every placeholder, with what it inserts.\n";

int checkCommand(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    const Arguments arguments = parseArguments(words, {}, {"--list"});
    if (arguments.has("--list") && arguments.positional.empty()) {
        printPlaceholderReference(out);
        return 0;
    }
    if (arguments.positional.size() != 1) throw UsageError("check takes one TEMPLATE file (see 'torvane check --help')");
    const std::string path = arguments.positional[0];
    platform::setMessageBoxSink([&err](const std::string& text, const std::string& caption) {
        err << "torvane: " << caption << (caption.empty() ? "" : ": ") << text << '\n';
    });
    const TemplateSource source = readTemplateSource(path);

    const TemplateCheck check = checkTemplateHtml(source.html);
    out << path << ": text/html part found";
    if (source.lineStarts.empty()) out << " (base64: lines are those of the decoded part)";
    out << "\n";
    out << "placeholders (" << check.placeholders.size() << "):\n";
    for (const TemplateFinding& found : check.placeholders) {
        out << "  line " << source.fileLine(found.offset, found.line) << ": " << found.text << '\n';
    }
    std::size_t warnings = check.warnings.size() + source.notes.size();
    if (!check.hasTextElement) ++warnings;
    out << "warnings (" << warnings << "):\n";
    for (const std::string& note : source.notes) out << "  line 1: " << note << '\n';
    for (const TemplateFinding& warning : check.warnings) {
        out << "  line " << source.fileLine(warning.offset, warning.line) << ": " << warning.text << " - " << warning.note << '\n';
    }
    if (!check.hasTextElement) {
        out << "  no element with id \"torvane_text_id\": the caret is not placed in the reply\n";
    }
    return warnings == 0 ? 0 : 1;
}

}  // namespace torvane
