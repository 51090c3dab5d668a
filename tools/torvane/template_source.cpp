#include "tools/torvane/template_source.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

#include "mime/mime_part.h"
#include "mime/part_bodies.h"
#include "tools/torvane/cli_errors.h"
#include "tools/torvane/host_from_files.h"
#include "tools/torvane/input_files.h"

namespace torvane {
namespace {

const std::string kByteOrderMark = "\xEF\xBB\xBF";

bool isUtf16(const std::string& text) {
    if (text.compare(0, 2, "\xFF\xFE") == 0 || text.compare(0, 2, "\xFE\xFF") == 0) return true;
    // Without a mark: ASCII text has a NUL beside every character.
    const auto nulAt = [&](std::size_t i) { return text[i] == '\0'; };
    return text.size() >= 4 && ((nulAt(1) && nulAt(3) && !nulAt(0) && !nulAt(2)) ||
                                (nulAt(0) && nulAt(2) && !nulAt(1) && !nulAt(3)));
}

int linesOf(const LineList& lines) {
    int count = 0;
    for (const std::string_view line : lines) count += static_cast<int>(std::count(line.begin(), line.end(), '\n'));
    return count;
}

// Walks the parts as they lie in the file, from `line` where `part` begins:
// its header (folded fields count each of their lines), its body or preamble,
// then each child after its delimiter line, the closing delimiter and the
// epilogue. Sets `bodyLine` when it meets `target`; returns the line after
// the part.
int walkLines(const MimePart& part, const MimePart* target, int line, int& bodyLine) {
    line += linesOf(part.headers);
    if (&part == target) bodyLine = line;
    line += static_cast<int>(part.body.size());
    for (const MimePart* child = part.firstChild.get(); child && bodyLine == 0; child = child->nextSibling.get()) {
        line = walkLines(*child, target, line + 1, bodyLine);
    }
    if (part.firstChild) ++line;
    return line + static_cast<int>(part.epilogue.size());
}

// What a quoted-printable line decodes to: "=XX" is one byte, a final "="
// joins the next line (a soft break), other lines keep their line end.
std::size_t decodedLength(std::string_view line) {
    std::size_t end = line.size();
    while (end > 0 && (line[end - 1] == '\n' || line[end - 1] == '\r')) --end;
    std::size_t trimmed = end;
    while (trimmed > 0 && (line[trimmed - 1] == ' ' || line[trimmed - 1] == '\t')) --trimmed;
    const bool soft = trimmed > 0 && line[trimmed - 1] == '=';
    std::size_t length = soft ? 0 : 2;
    for (std::size_t i = 0; i < (soft ? trimmed - 1 : end); ++i) {
        if (line[i] == '=' && i + 2 < end) i += 2;
        ++length;
    }
    return length;
}

// Where each of the HTML part's lines in the file begins in the decoded
// HTML; `bodyLine` is the first one's number.
std::vector<std::size_t> lineStartsOf(const MimePart& root, const MimePart& html, int& bodyLine) {
    bodyLine = 0;
    walkLines(root, &html, 1, bodyLine);
    std::string encoding;
    html.headerValue("Content-Transfer-Encoding", 100, encoding);
    const auto is = [&](const char* name) {
        const std::size_t length = std::strlen(name);
        if (encoding.size() < length) return false;
        for (std::size_t i = 0; i < length; ++i) {
            if (std::tolower(static_cast<unsigned char>(encoding[i])) != name[i]) return false;
        }
        return true;
    };
    if (is("base64")) return {};
    std::vector<std::size_t> starts;
    std::size_t offset = 0;
    for (const std::string_view raw : html.body) {
        starts.push_back(offset);
        offset += is("quoted-printable") ? decodedLength(raw) : raw.size();
    }
    return starts;
}

struct ParsedHtml {
    bool found = false;
    std::string html;
    int bodyLine = 0;
    std::vector<std::size_t> lineStarts;
};

// The HTML part through the plug-in's own parsing and decoding, with the
// simulated host in `tempFolder`, or in a scratch folder made and removed
// here when it is empty (decoding goes through files).
ParsedHtml parseHtml(const std::string& source, const std::string& tempFolder) {
    HostFiles files;
    files.rawMessage = MessageText(std::string("Subject: check\r\n\r\n"));
    files.tempFolder = tempFolder.empty() ? makeFreshTempFolder() : tempFolder;
    files.mailboxFolder = files.tempFolder;
    playHost(files);
    ParsedHtml parsed;
    {
        MimePart root;
        const char* cursor = source.c_str();
        root.parse(cursor, nullptr);
        if (const MimePart* html = root.findPart("text", "html")) {
            parsed.lineStarts = lineStartsOf(root, *html, parsed.bodyLine);
        }
        parsed.found = extractHtmlPart(root, parsed.html);
    }
    if (tempFolder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::u8path(files.tempFolder), ignored);
    }
    return parsed;
}

}  // namespace

int TemplateSource::fileLine(std::size_t offset, int htmlLine) const {
    if (lineStarts.empty()) return htmlLine;
    const auto after = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
    return bodyLine + static_cast<int>(after - lineStarts.begin()) - 1;
}

TemplateSource readTemplateSource(const std::string& path, const std::string& tempFolder) {
    const std::string source = readInputFile(path);
    const std::string quoted = "'" + path + "'";
    if (source.empty()) throw UsageError(quoted + " is empty");
    if (isUtf16(source)) {
        throw UsageError(quoted + " is UTF-16 text (Notepad's \"Unicode\"), which the plug-in cannot read: save it "
                         "as UTF-8");
    }
    const bool marked = source.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0;
    requireMessage(path, marked ? source.substr(kByteOrderMark.size()) : source);

    const std::string markNote = quoted + " begins with a UTF-8 byte-order mark, which the plug-in reads as part of "
                                          "its first header field";
    ParsedHtml parsed = parseHtml(source, tempFolder);
    if (!parsed.found) {
        if (marked && parseHtml(source.substr(kByteOrderMark.size()), tempFolder).found) {
            throw UsageError(markNote + ", so it finds no text/html part: save the file as UTF-8 without the mark");
        }
        throw UsageError(quoted + " has no text/html part: the plug-in would render an empty template");
    }
    TemplateSource result;
    result.html = std::move(parsed.html);
    result.bodyLine = parsed.bodyLine;
    result.lineStarts = std::move(parsed.lineStarts);
    if (marked) result.notes.push_back(markNote + " (harmless here; save the file without it)");
    return result;
}

}  // namespace torvane
