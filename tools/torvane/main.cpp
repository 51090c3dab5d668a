// torvane: renders, inspects and checks the plug-in's templates outside the
// mail client, with the plug-in's own engine.
#include <csignal>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tools/torvane/cli_errors.h"
#include "tools/torvane/command_line.h"
#include "tools/torvane/commands.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace {

#if !defined(_WIN32)
// render and inspect map the message file rather than copy it: another
// program that cuts the file shorter meanwhile takes its pages away. Said
// as an error of the tool's own, not a crash.
extern "C" void reportFileCutShorter(int) {
    static const char kText[] = "torvane: the message file was cut shorter while it was read\n";
    (void)!write(2, kText, sizeof kText - 1);
    _exit(2);
}
#endif

constexpr const char* kUsage =
    "usage: torvane COMMAND [ARGUMENTS]\n"
    "\n"
    "commands:\n"
    "  render MESSAGE   render the reply or forward to a message\n"
    "  inspect MESSAGE  show the message's MIME tree as the plug-in parses it\n"
    "  check TEMPLATE   report placeholders and likely mistakes in a template\n"
    "  serve            a local page that renders templates live as they are saved\n"
    "\n"
    "'torvane COMMAND --help' describes each command; 'torvane --version' the version.\n";

// "/?" is how Windows programs are asked for help.
bool isHelpWord(const std::string& word) { return word == "--help" || word == "-h" || word == "/?"; }

bool wantsHelp(const std::vector<std::string>& words) {
    for (const std::string& word : words) {
        if (isHelpWord(word)) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
#if !defined(_WIN32)
    std::signal(SIGBUS, reportFileCutShorter);
#endif
    // Redirected output is the same bytes on Windows as on Linux.
    platform::useBinaryStandardOutput();
    // Every path and text of the tool is UTF-8, on Windows too.
    platform::setPathEncoding(platform::PathEncoding::Utf8);
    const std::vector<std::string> arguments = torvane::commandLineArguments(argc, argv);
    if (arguments.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string command = arguments[0];
    const std::vector<std::string> words(arguments.begin() + 1, arguments.end());
    try {
        if (isHelpWord(command) || command == "help") {
            std::cout << kUsage;
            return 0;
        }
        if (command == "--version") {
            std::cout << "torvane " << TORVANE_VERSION << '\n';
            return 0;
        }
        struct Command {
            const char* name;
            int (*run)(const std::vector<std::string>&, std::ostream&, std::ostream&);
            const char* help;
        };
        const Command commands[] = {{"render", torvane::renderCommand, torvane::kRenderHelp},
                                    {"inspect", torvane::inspectCommand, torvane::kInspectHelp},
                                    {"check", torvane::checkCommand, torvane::kCheckHelp},
                                    {"serve", torvane::serveCommand, torvane::kServeHelp}};
        for (const Command& candidate : commands) {
            if (command != candidate.name) continue;
            if (wantsHelp(words)) {
                std::cout << candidate.help;
                return 0;
            }
            return candidate.run(words, std::cout, std::cerr);
        }
        throw torvane::UsageError("unknown command '" + command + "' (see 'torvane --help')");
    } catch (const torvane::UsageError& error) {
        std::cerr << "torvane: " << error.what() << '\n';
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "torvane: " << error.what() << '\n';
        return 2;
    }
}
