// The expected renderings of the sample messages, tests/data/rendering, one
// file per message and template. The tool's tests compare every one; the wine
// host's tests compare the html-with-image reply and forward from the same
// files, so that a template change is reviewed once. For those two both
// runners set up what the host provides alike: the mailbox of
// kSharedMailboxFiles and the local time zone TORVANE_TEST_TIME_ZONE
// (tests/CMakeLists.txt). What still differs is written neutrally by
// comparableRendering. Included by tests/cli and tests/wine.
#pragma once

#include <map>
#include <regex>
#include <string>

namespace expected_rendering {

// Relative to the source folder.
inline constexpr char kFolder[] = "tests/data/rendering/";

// The files of examples/mailbox in the mailbox of a shared rendering: the
// identity and only the default signature, so that the random draw and every
// named lookup find it, whatever the runner's random sequence.
inline constexpr const char* kSharedMailboxFiles[] = {"MailBox.ini", "$$$00000Default.txt"};

// `html` with `tempFolder`, which ends in the runner's path separator, written
// as "{TEMP}", and the host's generated names "{TEMP}tvXXXXX." numbered by
// creation, "{TEMP}tv#1.": the host's counter runs on through a test program.
// A path with the wrong separator keeps its folder, and so fails the comparison.
inline std::string comparableRendering(std::string html, const std::string& tempFolder) {
    const std::string token = "{TEMP}";
    for (std::size_t at = html.find(tempFolder); at != std::string::npos; at = html.find(tempFolder, at + token.size()))
        html.replace(at, tempFolder.size(), token);

    const std::regex generated(R"(\{TEMP\}tv([0-9A-F]{5})\.)");
    // Hexadecimal numbers of one width sort in the order they were made.
    std::map<std::string, int> numbers;
    for (std::sregex_iterator it(html.begin(), html.end(), generated), end; it != end; ++it) numbers[(*it)[1]];
    int next = 0;
    for (auto& entry : numbers) entry.second = ++next;

    std::string result;
    std::size_t copied = 0;
    for (std::sregex_iterator it(html.begin(), html.end(), generated), end; it != end; ++it) {
        result.append(html, copied, static_cast<std::size_t>(it->position()) - copied);
        result += token + "tv#" + std::to_string(numbers[(*it)[1]]) + ".";
        copied = static_cast<std::size_t>(it->position() + it->length());
    }
    result.append(html, copied, std::string::npos);
    return result;
}

}  // namespace expected_rendering
