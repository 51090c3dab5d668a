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
#include "tools/torvane/host_from_files.h"
#include "tools/torvane/input_files.h"
#include "tools/torvane/preview_policy.h"

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
    "                   beside this tool, else the Classic pair of the sources)\n"
    "  --mailbox DIR    the mailbox folder with MailBox.ini and the $$$*.txt\n"
    "                   signature files (default: the bundled sample mailbox)\n"
    "  --settings FILE  the plug-in's settings file (Language, ConvertText,\n"
    "                   ResetCharset); without it English, and both are off\n"
    "  --charset NAME   render again under NAME, as the editor's charset menu does\n"
    "  --temp DIR       where attachments and pictures are saved (default: a fresh\n"
    "                   folder under the system's temporary folder)\n"
    "  --preview        for opening in a browser: a Content-Security-Policy in the\n"
    "                   head lets the HTML load local files, data: pictures and\n"
    "                   inline styles only, so that the quoted mail runs no script\n"
    "                   and loads nothing from the network\n"
    "  -o FILE          write the HTML to FILE instead of standard output\n";

int renderCommand(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    const Arguments arguments =
        parseArguments(words, {"--template", "--mailbox", "--settings", "--charset", "--temp", "-o"},
                       {"--forward", "--preview"});
    if (arguments.positional.size() != 1) throw UsageError("render takes one MESSAGE file (see 'torvane render --help')");
    const std::string messagePath = arguments.positional[0];
    const bool forward = arguments.has("--forward");

    HostFiles files;
    files.forward = forward;
    files.rawMessage = readMessageFile(messagePath);
    files.messageFile = messagePath;

    const std::string templatePath = arguments.value("--template", defaultTemplatePath(forward));
    readInputFile(templatePath);  // a clear error before anything is written

    const std::string mailbox = arguments.value("--mailbox", examplesFolder() + "mailbox");
    if (!isDirectory(mailbox)) throw UsageError("cannot use mailbox '" + mailbox + "': not a folder");
    files.mailboxFolder = asFolder(mailbox);

    SessionFlags flags;
    if (arguments.has("--settings")) {
        const std::string settingsPath = arguments.value("--settings");
        readInputFile(settingsPath);
        // Windows' profile reader looks for a bare file name in the Windows folder.
        flags = readSessionFlags(std::filesystem::absolute(settingsPath).string());
    }

    if (arguments.has("--temp")) {
        const std::string temp = arguments.value("--temp");
        if (!isDirectory(temp) && !platform::createDirectory(temp)) {
            throw UsageError("cannot use temporary folder '" + temp + "'");
        }
        files.tempFolder = asFolder(temp);
    } else {
        files.tempFolder = makeFreshTempFolder();
        err << "torvane: attachments and pictures go to " << files.tempFolder << '\n';
    }

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

    ComposeResult result = composeReply(session, templatePath, nullptr);
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
    if (arguments.has("--preview")) html = withPreviewPolicy(html);

    if (arguments.has("-o")) {
        writeOutputFile(arguments.value("-o"), html);
    } else {
        out << html;
        out.flush();
    }
    return 0;
}

}  // namespace torvane
