// torvane-host: answers one message with testtorvane.dll itself, the DLL
// beside this program, as the mail client would: the plug-in's callbacks,
// real windows, an HTML editor stand-in whose document loads as the
// browser's does. Writes the HTML the editor received; the attachments and
// pictures the plug-in saved stay in the temporary folder.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tools/torvane/arguments.h"
#include "tools/torvane/cli_errors.h"
#include "tools/torvane/host_from_files.h"
#include "tools/torvane/input_files.h"
#include "tools/torvane_host/plugin_answer.h"

namespace {

constexpr const char* kUsage =
    "usage: torvane-host MESSAGE [--forward] [--mailbox DIR] [--settings FILE]\n"
    "                    [--charset NAME] [--refresh] [--temp DIR] [-o FILE]\n"
    "\n"
    "Answers MESSAGE, an RFC 5322 file, with the plug-in testtorvane.dll beside\n"
    "this program, as the mail client does: BKC_OnStart, the menus, a reply (or\n"
    "with --forward a forward) opened with BKC_OnOpenCompose, the HTML loaded\n"
    "into the editor, BKC_OnExit. The plug-in reads its templates (torvane.tml,\n"
    "torvanefwd.tml) and testtorvane.ini from beside the DLL. The HTML the editor\n"
    "received goes to FILE or standard output, in the system's code page, as the\n"
    "plug-in writes it. Message boxes are printed on standard error and answered.\n"
    "\n"
    "  --forward        answer with the forward template\n"
    "  --mailbox DIR    the mailbox folder with MailBox.ini and the $$$*.txt\n"
    "                   signature files (default: the folder 'mailbox' beside\n"
    "                   this program, else none)\n"
    "  --settings FILE  the settings the plug-in reads instead of testtorvane.ini\n"
    "  --charset NAME   then choose NAME from the editor's pop-up menu (its\n"
    "                   character-set items need ResetCharset=TRUE)\n"
    "  --refresh        then choose \"Refresh HTML\" from that menu\n"
    "  --temp DIR       the mail client's temporary folder, where attachments and\n"
    "                   pictures are saved (default: a fresh folder under the\n"
    "                   system's temporary folder)\n"
    "  -o FILE          write the HTML to FILE instead of standard output\n"
    "\n"
    "Exit status: 0 answered, 1 left to the mail client (a plain-text message\n"
    "while ConvertText is off), 2 an error.\n";

// The mail client hands the plug-in an absolute temporary folder, so that
// the HTML's references hold wherever the editor's document is saved.
std::string absolutePath(const std::string& path) {
    char full[MAX_PATH + 1] = {};
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return length == 0 || length > MAX_PATH ? path : std::string(full, length);
}

std::string besideThisProgram(const std::string& name) {
    const std::string self = platform::executablePath();
    return self.substr(0, self.find_last_of("\\/") + 1) + name;
}

int run(const std::vector<std::string>& words) {
    using torvane::UsageError;
    const torvane::Arguments arguments =
        torvane::parseArguments(words, {"--mailbox", "--settings", "--charset", "--temp", "-o"},
                                {"--forward", "--refresh"});
    if (arguments.positional.size() != 1) throw UsageError("takes one MESSAGE file (see 'torvane-host --help')");
    const std::string messagePath = arguments.positional[0];

    torvanehost::AnswerRequest request;
    request.pluginPath = besideThisProgram("testtorvane.dll");
    if (!platform::fileExists(request.pluginPath)) throw UsageError("no plug-in at '" + request.pluginPath + "'");
    // Read into memory, as the mail client it plays holds the message.
    torvane::MessageText message = torvane::readMessageFile(messagePath, 0, false);
    if (message.endsTheFile()) request.messageFile = messagePath;
    request.rawMessage = message.release();
    request.forward = arguments.has("--forward");
    request.refresh = arguments.has("--refresh");
    request.charset = arguments.value("--charset");

    std::string mailbox = arguments.value("--mailbox", besideThisProgram("mailbox"));
    if (arguments.has("--mailbox") && !torvane::isDirectory(mailbox)) {
        throw UsageError("cannot use mailbox '" + mailbox + "': not a folder");
    }
    request.mailboxFolder = torvane::asFolder(mailbox);
    if (arguments.has("--settings")) {
        request.settingsPath = arguments.value("--settings");
        torvane::readInputFile(request.settingsPath);
    }
    if (arguments.has("--temp")) {
        const std::string temp = arguments.value("--temp");
        if (!torvane::isDirectory(temp) && !platform::createDirectory(temp)) {
            throw UsageError("cannot use temporary folder '" + temp + "'");
        }
        request.tempFolder = torvane::asFolder(absolutePath(temp));
    } else {
        request.tempFolder = torvane::makeFreshTempFolder();
        std::cerr << "torvane-host: attachments and pictures go to " << request.tempFolder << '\n';
    }

    const torvanehost::Answer answer =
        torvanehost::answerWithPlugin(request, [](const std::string& caption, const std::string& text) {
            std::cerr << "torvane-host: message box \"" << caption << "\": " << text << '\n';
        });
    switch (answer.outcome) {
    case torvanehost::AnswerOutcome::LeftToHost:
        std::cerr << "torvane-host: '" << messagePath
                  << "' is a plain-text message and ConvertText is off, so the plug-in leaves the reply to the "
                     "mail client\n";
        return 1;
    case torvanehost::AnswerOutcome::Failed:
        std::cerr << "torvane-host: the plug-in did not load the editor\n";
        return 2;
    case torvanehost::AnswerOutcome::MenuItemUnusable:
        std::cerr << "torvane-host: the editor's pop-up menu offered no usable item '"
                  << (request.charset.empty() ? "Refresh HTML" : request.charset) << "'\n";
        return 2;
    case torvanehost::AnswerOutcome::Rendered:
        break;
    }
    if (arguments.has("-o")) {
        torvane::writeOutputFile(arguments.value("-o"), answer.html);
    } else {
        // The editor's bytes as they are: no CR put before each LF.
        _setmode(_fileno(stdout), _O_BINARY);
        std::cout << answer.html;
        std::cout.flush();
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> words(argv + 1, argv + argc);
    for (const std::string& word : words) {
        if (word == "--help" || word == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (word == "--version") {
            std::cout << "torvane-host " << TORVANE_VERSION << '\n';
            return 0;
        }
    }
    if (words.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    try {
        return run(words);
    } catch (const std::exception& error) {
        std::cerr << "torvane-host: " << error.what() << '\n';
        return 2;
    }
}
