#include <cctype>
#include <filesystem>
#include <optional>
#include <ostream>
#include <set>
#include <utility>

#include "platform/charset_names.h"
#include "platform/files.h"
#include "session/settings.h"
#include "tools/torvane/arguments.h"
#include "tools/torvane/cli_errors.h"
#include "tools/torvane/commands.h"
#include "tools/torvane/default_files.h"
#include "tools/torvane/file_urls.h"
#include "tools/torvane/host_from_files.h"
#include "tools/torvane/input_files.h"
#include "tools/torvane/preview_policy.h"
#include "tools/torvane/render_reply.h"
#include "tools/torvane/temp_folder.h"
#include "tools/torvane/template_source.h"
#include "tools/torvane/time_zone_option.h"

namespace torvane {

const char* const kRenderHelp =
    "usage: torvane render MESSAGE [--forward] [--template FILE] [--mailbox DIR]\n"
    "                      [--settings FILE] [--charset NAME] [--temp DIR [--fresh]]\n"
    "                      [--index N] [--preview] [-o FILE]\n"
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
    "                   (Auto, GB2312, GB18030, HZ-GB-2312, BIG5, UTF-8, UTF-7,\n"
    "                   US-ASCII, ISO-8859-1, ISO-8859-2, ISO-8859-15, or another\n"
    "                   name mail carries)\n"
    "  --temp DIR       where attachments and pictures are saved (default: a fresh\n"
    "                   folder under the system's temporary folder, kept when the\n"
    "                   output is a page to look at (-o or --preview), else\n"
    "                   removed); the HTML refers to them by absolute paths\n"
    "  --fresh          first remove from DIR what earlier renders wrote there, so\n"
    "                   that the same command gives the same files; a DIR holding\n"
    "                   anything else is refused\n"
    "  --index N        the Nth message of a mailbox (mbox) file holding several\n"
    "  --time-zone TZ   the zone of %D dates, as a TZ rule such as CST-8 or\n"
    "                   EST5EDT,M3.2.0,M11.1.0 (default: TZ, else the system's)\n"
    "  --preview        for opening in a browser: a Content-Security-Policy in the\n"
    "                   head lets the HTML load local files, data: pictures and\n"
    "                   inline styles only, so that the quoted mail runs no script\n"
    "                   and loads nothing from the network; the page is declared\n"
    "                   UTF-8, the encoding of the tool's texts\n"
    "  -o FILE          write the HTML to FILE instead of standard output, replacing\n"
    "                   it in one step (never one of the inputs)\n";

namespace {

// The names of the editor's character-set menu, for --charset.
constexpr const char* kMenuCharsets =
    "Auto, GB2312, GB18030, HZ-GB-2312, BIG5, UTF-8, UTF-7, US-ASCII, ISO-8859-1, ISO-8859-2, ISO-8859-15";

// The name rerenderedText takes: "" for Auto.
std::string charsetChoice(const std::string& name) {
    std::string lower;
    for (const char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "auto") return std::string();
    if (name.empty() || !platform::canonicalCharsetName(name)) {
        throw UsageError("unknown character set '" + name + "' for --charset: the editor's menu has " +
                         kMenuCharsets);
    }
    return name;
}

struct Input {
    const char* what;
    std::string path;
};

// -o must name a file that is not one of the inputs: the output replaces it.
void requireOutputPath(const std::string& output, const std::vector<Input>& inputs) {
    if (isDirectory(output)) throw UsageError("cannot write '" + output + "': it is a folder");
    for (const Input& input : inputs) {
        if (!input.path.empty() && platform::sameFile(output, input.path)) {
            throw UsageError("-o '" + output + "' names the " + input.what + " '" + input.path +
                             "': render never writes over its inputs, choose another file");
        }
    }
}

// Records in a --temp folder what the render wrote there, however it ends.
class WrittenFilesRecord {
public:
    explicit WrittenFilesRecord(std::string folder) : folder_(std::move(folder)), before_(folderEntries(folder_)) {}
    ~WrittenFilesRecord() { recordWrittenFiles(folder_, before_); }
    WrittenFilesRecord(const WrittenFilesRecord&) = delete;
    WrittenFilesRecord& operator=(const WrittenFilesRecord&) = delete;

private:
    std::string folder_;
    std::set<std::string> before_;
};

}  // namespace

int renderCommand(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    const Arguments arguments =
        parseArguments(words,
                       {"--template", "--mailbox", "--settings", "--charset", "--temp", "--index", "--time-zone", "-o"},
                       {"--forward", "--preview", "--fresh"});
    if (arguments.positional.size() != 1) throw UsageError("render takes one MESSAGE file (see 'torvane render --help')");
    const std::string messagePath = arguments.positional[0];
    const bool forward = arguments.has("--forward");

    HostFiles files;
    ToolTempFolder toolTemp;
    files.forward = forward;
    const std::string charset = arguments.has("--charset") ? charsetChoice(arguments.value("--charset")) : "";
    files.rawMessage = readMessageFile(messagePath, messageIndex(arguments.value("--index", "0")));
    // The host may read the message again from the end of its file instead of keeping a copy.
    if (files.rawMessage.endsTheFile()) files.messageFile = messagePath;

    const TemplateFile templateFile(arguments.value("--template"), forward);
    const std::string& templatePath = templateFile.path();
    // What check says of an unusable template, before anything is written.
    const TemplateSource templateSource = readTemplateSource(templatePath);
    for (const std::string& note : templateSource.notes) err << "torvane: " << note << '\n';
    const std::string mailbox = mailboxFolder(arguments.value("--mailbox"), templateSource.html);
    if (arguments.has("--time-zone")) {
        useTimeZone(arguments.value("--time-zone"));
    } else {
        followTimeZoneVariable(err);
    }

    SessionFlags flags;
    const std::string settingsPath = arguments.value("--settings");
    if (arguments.has("--settings")) {
        readInputFile(settingsPath);
        // Windows' profile reader looks for a bare file name in the Windows folder.
        flags = readSessionFlags(std::filesystem::absolute(std::filesystem::u8path(settingsPath)).u8string());
    }
    const std::string output = arguments.value("-o");
    if (arguments.has("-o")) {
        requireOutputPath(output, {{"message", messagePath},
                                   {"template", templatePath},
                                   {"settings file", settingsPath},
                                   {"mailbox file", mailbox.empty() ? std::string() : asFolder(mailbox) + "MailBox.ini"}});
    }

    std::optional<WrittenFilesRecord> record;
    if (arguments.has("--temp")) {
        files.tempFolder = prepareTempFolder(arguments.value("--temp"), arguments.has("--fresh"), err);
        record.emplace(files.tempFolder);
    } else {
        files.tempFolder = toolTemp.make();
    }
    files.mailboxFolder = mailbox.empty() ? emptyMailboxIn(files.tempFolder) : mailbox;

    std::optional<std::string> rerenderCharset;
    if (arguments.has("--charset")) rerenderCharset = charset;
    ComposeResult result = renderWithHost(files, templatePath, flags, rerenderCharset, err);
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
    if (arguments.has("--preview")) html = withFileUrls(withUtf8Declared(withPreviewPolicy(html)), files.tempFolder);

    if (arguments.has("-o")) {
        writeOutputFile(output, html);
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
