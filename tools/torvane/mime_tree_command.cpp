#include <ostream>
#include <vector>

#include "mime/mime_part.h"
#include "mime/part_bodies.h"
#include "mime/trim_content_id.h"
#include "platform/message_box.h"
#include "session/compose_session.h"
#include "tools/torvane/arguments.h"
#include "tools/torvane/cli_errors.h"
#include "tools/torvane/commands.h"
#include "tools/torvane/host_from_files.h"
#include "tools/torvane/input_files.h"
#include "tools/torvane/json_text.h"
#include "tools/torvane/mime_tree.h"

namespace torvane {

const char* const kInspectHelp =
    "usage: torvane inspect MESSAGE [--json] [--index N]\n"
    "\n"
    "Shows the MIME tree of MESSAGE exactly as the plug-in parses it: every part\n"
    "in pre-order with its depth, type/subtype, boundary, the number of header,\n"
    "body and epilogue lines, its Content-Id, whether it counts as attachment\n"
    "or inline, and the file name an attachment would be saved under; then the\n"
    "part used as the HTML part. --json prints the same as one JSON object\n"
    "(see the README for its fields). --index N takes the Nth message of a\n"
    "mailbox (mbox) file holding several.\n";

namespace {

struct PartReport {
    int index = 0;
    int depth = 0;
    std::string type;
    std::string subtype;
    const std::string* boundary = nullptr;
    std::size_t headerLines = 0;
    std::size_t bodyLines = 0;
    std::size_t epilogueLines = 0;
    std::string contentId;
    bool attachment = false;
    bool inlinePart = false;
    bool hasSavedName = false;
    std::string savedName;
    const MimePart* part = nullptr;
};

std::vector<PartReport> describe(MimePart& root) {
    std::vector<PartReport> reports;
    forEachPart(root, [&](MimePart& part) {
        PartReport report;
        report.index = static_cast<int>(reports.size());
        report.depth = part.depth();
        report.type = part.type;
        report.subtype = part.subtype;
        report.boundary = part.boundary ? &*part.boundary : nullptr;
        report.headerLines = part.headers.size();
        report.bodyLines = part.body.size();
        report.epilogueLines = part.epilogue.size();
        std::string contentId;
        part.headerValue("Content-Id", 1000, contentId);
        report.contentId = trimContentId(contentId);
        report.attachment = isAttachment(part);
        report.inlinePart = isInline(part);
        AttachmentList listed;
        saveAttachment(part, listed, false);
        if (!listed.empty()) {
            report.hasSavedName = true;
            report.savedName = listed.front().fileName;
        }
        report.part = &part;
        reports.push_back(std::move(report));
    });
    return reports;
}

void writeText(const std::vector<PartReport>& reports, int htmlIndex, std::ostream& out) {
    for (const PartReport& report : reports) {
        out << std::string(static_cast<std::size_t>(report.depth) * 2, ' ') << '#' << report.index << ' ';
        out << (report.type.empty() && report.subtype.empty() ? "(no type)" : report.type + "/" + report.subtype);
        if (report.boundary) out << " boundary=\"" << *report.boundary << '"';
        out << " lines: " << report.headerLines << " header, " << report.bodyLines << " body, "
            << report.epilogueLines << " epilogue";
        if (!report.contentId.empty()) out << " cid=<" << report.contentId << '>';
        if (report.attachment) out << " attachment";
        if (report.inlinePart) out << " inline";
        if (report.hasSavedName) out << " saved-as=\"" << report.savedName << '"';
        out << '\n';
    }
    if (htmlIndex < 0) {
        out << "html part: none\n";
    } else {
        out << "html part: #" << htmlIndex << '\n';
    }
}

void writeJson(const std::vector<PartReport>& reports, int htmlIndex, std::ostream& out) {
    out << "{\n  \"parts\": [";
    for (std::size_t i = 0; i < reports.size(); ++i) {
        const PartReport& report = reports[i];
        out << (i ? ",\n" : "\n") << "    {\"index\": " << report.index << ", \"depth\": " << report.depth
            << ", \"type\": " << jsonString(report.type) << ", \"subtype\": " << jsonString(report.subtype)
            << ", \"boundary\": " << (report.boundary ? jsonString(*report.boundary) : "null")
            << ", \"headerLines\": " << report.headerLines << ", \"bodyLines\": " << report.bodyLines
            << ", \"epilogueLines\": " << report.epilogueLines
            << ", \"contentId\": " << (report.contentId.empty() ? "null" : jsonString(report.contentId))
            << ", \"attachment\": " << (report.attachment ? "true" : "false")
            << ", \"inline\": " << (report.inlinePart ? "true" : "false")
            << ", \"savedAs\": " << (report.hasSavedName ? jsonString(report.savedName) : "null") << '}';
    }
    out << "\n  ],\n  \"htmlPart\": " << (htmlIndex < 0 ? std::string("null") : std::to_string(htmlIndex))
        << "\n}\n";
}

}  // namespace

void writeMimeTree(const MessageText& rawMessage, bool json, std::ostream& out) {
    HostFiles files;
    files.tempFolder = asFolder(".");
    files.mailboxFolder = asFolder(".");
    // The tree is all that is shown: the message is parsed, never decoded.
    startHost(files);

    MimePart root;
    root.setBodiesInPlace();  // the message outlives the tree
    const char* cursor = rawMessage.c_str();
    root.parse(cursor, nullptr);
    const std::vector<PartReport> reports = describe(root);
    const MimePart* html = root.findPart("text", "html");
    int htmlIndex = -1;
    for (const PartReport& report : reports) {
        if (report.part == html) htmlIndex = report.index;
    }
    if (json) {
        writeJson(reports, htmlIndex, out);
    } else {
        writeText(reports, htmlIndex, out);
    }
}

int inspectCommand(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    const Arguments arguments = parseArguments(words, {"--index"}, {"--json"});
    if (arguments.positional.size() != 1) throw UsageError("inspect takes one MESSAGE file (see 'torvane inspect --help')");
    const std::string messagePath = arguments.positional[0];

    const MessageText message = readMessageFile(messagePath, messageIndex(arguments.value("--index", "0")));
    platform::setMessageBoxSink([&err](const std::string& text, const std::string& caption) {
        err << "torvane: " << caption << (caption.empty() ? "" : ": ") << text << '\n';
    });
    writeMimeTree(message, arguments.has("--json"), out);
    return 0;
}

}  // namespace torvane
