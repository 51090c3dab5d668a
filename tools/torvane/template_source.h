// A template file read as the plug-in reads it, so that render and check
// accept and refuse the same files and say the same about them.
#pragma once

#include <string>
#include <vector>

namespace torvane {

struct TemplateSource {
    std::string html;                // the decoded text/html part
    std::vector<std::string> notes;  // what is odd but harmless, one sentence each
    // The file's lines of the part's body: the first one's number, and where
    // in `html` each begins; none when the part is base64, whose lines
    // match none of the file's.
    int bodyLine = 0;
    std::vector<std::size_t> lineStarts;

    // The line of the file holding `html`'s byte at `offset`; `htmlLine`,
    // the line in `html`, when there is no match.
    int fileLine(std::size_t offset, int htmlLine) const;
};

// Throws UsageError saying why the plug-in cannot use the file: missing,
// empty, UTF-16, binary, no header, or no text/html part (naming a UTF-8
// byte-order mark when that is what hides the part). Decoding the part goes
// through files in `tempFolder`, or in a scratch folder of its own, removed
// afterwards, when that is empty.
TemplateSource readTemplateSource(const std::string& path, const std::string& tempFolder = std::string());

}  // namespace torvane
