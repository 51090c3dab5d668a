// The MIME part tree of a message or a template file. The parser knows only
// Content-Type (type, subtype, boundary), header folding and multipart
// boundaries; every line is kept undecoded and everything else is looked up
// on demand in the stored header lines.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mime/line_list.h"
#include "mime/line_reader.h"
#include "platform/host_block.h"

class MimePart;

// Sub parts are made in their root's arena and live no longer than their
// root: deleting one only destroys it, and the arena's blocks go with the
// root. A message of thousands of parts then costs no allocation per part,
// and its parts' memory is given back at once when the tree goes.
struct SubPartDeleter {
    void operator()(MimePart* part) const;
};
using SubPartPointer = std::unique_ptr<MimePart, SubPartDeleter>;

class MimePart {
    // Declared first: the line lists and sub parts below live in it. Only a
    // root owns it.
    std::unique_ptr<LineArena> ownArena_;
    LineArena* arena_;

public:
    static constexpr std::size_t kMaxTypeLength = 40;
    // Multiparts nested deeper than this below the root are not split any
    // more: the part at this depth keeps everything up to its enclosing
    // delimiter as body lines, nested delimiters included.
    static constexpr int kMaxNestingDepth = 64;

    enum ScratchFile { kBase64Code, kBase64Decoded, kQuotedPrintableCode, kQuotedPrintableDecoded };
    static constexpr std::size_t kScratchPathSize = 32768;
    static constexpr std::size_t kTransferEncodingSize = 100;

    // A root: its four scratch paths are made at once in the host's
    // temporary folder.
    MimePart();
    ~MimePart();
    MimePart(const MimePart&) = delete;
    MimePart& operator=(const MimePart&) = delete;

    // A part one level below this one, sharing the tree's line storage and
    // body filter. It gets scratch paths only if something asks for them.
    SubPartPointer newSubPart();

    // Decides from a part's headers, once they are read, whether `parse`
    // stores its body lines; the others are read and dropped. Set on a root
    // before parsing: a tree parsed only to save some parts' bodies then does
    // not hold a large text body too. Without a filter every body is kept.
    using BodyFilter = bool (*)(const MimePart& part);
    void setBodyFilter(BodyFilter filter) { bodyFilter_ = filter; }

    // Set on a root before parsing when the text parsed stays unchanged as
    // long as the tree: body lines that end in CR LF there are then read in
    // place, not copied, and a message's attachments are not held twice.
    void setBodiesInPlace() { bodiesInPlace_ = true; }

    std::string type;     // before the slash of the last Content-Type; at most 40 characters
    std::string subtype;  // after it; at most 40 characters
    std::optional<std::string> boundary;
    LineList headers;   // folded headers as one entry each, then the empty line
    LineList body;      // a simple part's body, or a multipart's preamble
    LineList epilogue;  // after a nested multipart's closing delimiter
    SubPartPointer nextSibling;
    SubPartPointer firstChild;

    // Fills the part (afresh) and its sub-parts from the text at `cursor`,
    // leaving the cursor at the first line not consumed.
    void parse(const char*& cursor, const char* enclosingBoundary = nullptr);

    // First part in pre-order (this one, its children, then its next
    // siblings) whose type and subtype equal the given ones without regard
    // to case; a null criterion matches anything.
    MimePart* findPart(const char* wantedType, const char* wantedSubtype);
    const MimePart* findPart(const char* wantedType, const char* wantedSubtype) const;

    // The value of the first header line named `name`: after the colon, with
    // leading white space and line ends skipped, at most capacity - 1
    // characters, trailing CR LF and continuation lines included. Empty and
    // false when there is none.
    bool headerValue(const char* name, std::size_t capacity, std::string& value) const;

    // Path of one of the tree's scratch files ("" when the host had no memory).
    const char* scratchPath(ScratchFile which);
    // The 100-byte buffer for a Content-Transfer-Encoding value, made on first use.
    char* transferEncodingBuffer();

    int depth() const { return depth_; }

private:
    struct SubPart {};
    MimePart(SubPart, LineArena* arena, int depth);

    void fillScratchPaths();
    void takeContentType(std::string_view header);
    void parseLines(const char*& cursor, const std::string* enclosing);

    // The host's blocks, made on first use (a root's scratch paths at once):
    // most parts of a message never need them.
    struct HostBlocks {
        HostBlock scratch[4];
        HostBlock transferEncoding;
    };
    HostBlocks& hostBlocks();
    std::unique_ptr<HostBlocks> hostBlocks_;
    int depth_ = 0;
    bool bodiesInPlace_ = false;
    BodyFilter bodyFilter_ = nullptr;
};

// One name=value pair of a parameter text.
struct ParameterPair {
    std::string_view name;   // everything before the "=" (earlier tokens included)
    std::string_view value;  // without its quotes
    std::size_t next;        // where the next pair may start
};

// The pair starting at `position` of `text`; none when no "=" is left.
std::optional<ParameterPair> parseParameter(std::string_view text, std::size_t position = 0);

// Examines only the first pair of a header value: true, with its value, when
// `name` occurs in the pair's name without regard to case.
bool headerParameter(std::string_view headerValueText, const char* name, std::string& value);

// Content-Disposition begins with "attachment".
bool isAttachment(const MimePart& part);
// Content-Disposition begins with "inline", or the part has a Content-Id.
bool isInline(const MimePart& part);

// Every part of the tree in pre-order, the root included; never recursive,
// however deep or wide the tree is.
template <typename Function>
void forEachPart(MimePart& root, Function&& function) {
    std::vector<MimePart*> pending{&root};
    while (!pending.empty()) {
        MimePart* part = pending.back();
        pending.pop_back();
        function(*part);
        if (part->nextSibling) pending.push_back(part->nextSibling.get());
        if (part->firstChild) pending.push_back(part->firstChild.get());
    }
}

template <typename Function, typename Context>
void visit(MimePart& root, Function&& function, Context&& context) {
    forEachPart(root, [&](MimePart& part) { function(part, context); });
}

template <typename Function, typename Context1, typename Context2>
void visit2(MimePart& root, Function&& function, Context1&& context1, Context2&& context2) {
    forEachPart(root, [&](MimePart& part) { function(part, context1, context2); });
}
