#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <ostream>
#include <utility>

#include "composer/compose_core.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "session/compose_session.h"
#include "session/settings.h"
#include "tools/torvane/arguments.h"
#include "tools/torvane/cli_errors.h"
#include "tools/torvane/commands.h"
#include "tools/torvane/default_files.h"
#include "tools/torvane/file_urls.h"
#include "tools/torvane/host_from_files.h"
#include "tools/torvane/input_files.h"
#include "tools/torvane/preview_policy.h"
#include "tools/torvane/time_zone_option.h"

namespace torvane {

const char* const kRenderHelp =
    "usage: torvane render MESSAGE [--forward] [--template FILE] [--mailbox DIR]\n"
    "                      [--settings FILE] [--charset NAME] [--temp DIR] [--preview]\n"
    "                      [-o FILE]\n"
    "\n"
    "Renders the reply (or with --forward the forward) to MESSAGE, an RFC 5322\n"
    "file, exactly as the plug-in would, and writes the HTML to FILE or to\n"
    "standard output.\n"
    "\n"
    "  --forward        use the forward template instead of the reply template\n"
    "  --template FILE  the template file (default: torvane.tml or torvanefwd.tml\n"
    "                   beside this tool, else the built-in Classic pair)\n"
    "  --mailbox DIR    the mailbox folder with MailBox.ini (your name and address)\n"
    "                   and the $$$*.txt signature files (default: the folder\n"
    "                   'mailbox' beside this tool, the sample mailbox of the\n"
    "                   release archive; without one, a template using %N, %A,\n"
    "                   %G or %R is refused)\n"
    "  --settings FILE  the plug-in's settings file (Language, ConvertText,\n"
    "                   ResetCharset); without it English, and both are off\n"
    "  --charset NAME   render again under NAME, as the editor's charset menu does\n"
    "  --temp DIR       where attachments and pictures are saved (default: a fresh\n"
    "                   folder under the system's temporary folder, kept when the\n"
    "                   output is a page to look at (-o or --preview), else removed)\n"
    "  --time-zone TZ   the zone of %D dates, as a TZ rule such as CST-8 or\n"
    "                   EST5EDT,M3.2.0,M11.1.0 (default: TZ, else the system's)\n"
    "  --preview        for opening in a browser: a Content-Security-Policy in the\n"
    "                   head lets the HTML load local files, data: pictures and\n"
    "                   inline styles only, so that the quoted mail runs no script\n"
    "                   and loads nothing from the network\n"
    "  -o FILE          write the HTML to FILE instead of standard output\n";

int renderCommand(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    const Arguments arguments =
        parseArguments(words, {"--template", "--mailbox", "--settings", "--charset", "--temp", "--time-zone", "-o"},
                       {"--forward", "--preview"});
    if (arguments.positional.size() != 1) throw UsageError("render takes one MESSAGE file (see 'torvane render --help')");
    const std::string messagePath = arguments.positional[0];
    const bool forward = arguments.has("--forward");

    HostFiles files;
    ToolTempFolder toolTemp;
    files.forward = forward;
    files.rawMessage = readMessageFile(messagePath);

    const TemplateFile templateFile(arguments.value("--template"), forward);
    const std::string& templatePath = templateFile.path();
    const std::string templateText = readInputFile(templatePath);  // a clear error before anything is written
    const std::string mailbox = mailboxFolder(arguments.value("--mailbox"), templateText);
    if (arguments.has("--time-zone")) {
        useTimeZone(arguments.value("--time-zone"));
    } else {
        followTimeZoneVariable(err);
    }

    SessionFlags flags;
    if (arguments.has("--settings")) {
        const std::string settingsPath = arguments.value("--settings");
        readInputFile(settingsPath);
        // Windows' profile reader looks for a bare file name in the Windows folder.
        flags = readSessionFlags(std::filesystem::absolute(std::filesystem::u8path(settingsPath)).u8string());
    }

    if (arguments.has("--temp")) {
        const std::string temp = arguments.value("--temp");
        if (!isDirectory(temp) && !platform::createDirectory(temp)) {
            throw UsageError("cannot use temporary folder '" + temp + "'");
        }
        files.tempFolder = asFolder(temp);
    } else {
        files.tempFolder = toolTemp.make();
    }
    files.mailboxFolder = mailbox.empty() ? emptyMailboxIn(files.tempFolder) : mailbox;

    HostWindow window = playHost(files);
    platform::setMessageBoxSink([&err](const std::string& text, const std::string& caption) {
        err << "torvane: " << (caption.empty() ? std::string() : caption + ": ") << text << '\n';
    });
    // As the plug-in does for every new session; TORVANE_RANDOM_SEED makes the
    // random signature reproducible for tests and documentation.
    const char* seed = std::getenv("TORVANE_RANDOM_SEED");
    std::srand(seed && *seed ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10))
                             : static_cast<unsigned>(std::time(nullptr)));
    ComposeSession session(window, SessionKind::Compose, flags);
    session.localCodePage = LocalCodePage::Utf8;

    const ComposeResult result = composeReply(session, templatePath, nullptr);
    switch (result.outcome) {
    case ComposeOutcome::BodyNotHtml:
        err << "torvane: '" << messagePath
            << "' is a plain-text message and ConvertText is off, so the plug-in leaves the reply to the mail "
               "client (set ConvertText=TRUE in the [Settings] of the file given with --settings)\n";
        return 1;
    case ComposeOutcome::TemplateMissing:
    case ComposeOutcome::Failed:
        return 2;
    case ComposeOutcome::Rendered:
        break;
    }

    std::string html = std::move(result.html);
    if (arguments.has("--charset")) html = rerenderedText(session, arguments.value("--charset"));
    if (arguments.has("--preview")) html = withFileUrls(withPreviewPolicy(html), files.tempFolder);

    if (arguments.has("-o")) {
        writeOutputFile(arguments.value("-o"), html);
    } else {
        out << html;
        out.flush();
    }
    // A page to look at (a file, or a preview) needs the files it refers to.
    if ((arguments.has("-o") || arguments.has("--preview")) && toolTemp.keepIfUsed()) {
        err << "torvane: attachments and pictures go to " << files.tempFolder << '\n';
    }
    return 0;
}

}  // namespace torvane
