// The line-oriented parser: a header phase, a body phase that splits a
// multipart at its own delimiters, and for nested multiparts an epilogue
// phase up to the enclosing part's next delimiter.
#include <cstring>

#include "mime/mime_part.h"
#include "text/no_case.h"

namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && std::memcmp(text.data(), prefix.data(), prefix.size()) == 0;
}

bool isClosingDelimiter(std::string_view afterDashes, const std::string& boundary) {
    return afterDashes.size() == boundary.size() + 2 && startsWith(afterDashes, boundary) &&
           afterDashes[boundary.size()] == '-' && afterDashes[boundary.size() + 1] == '-';
}

// strtok over a view: skips leading delimiters, returns the token and moves
// `position` past the delimiter that ended it.
std::optional<std::string_view> nextToken(std::string_view text, std::size_t& position, const char* delimiters) {
    const std::size_t start = text.find_first_not_of(delimiters, position);
    if (start == std::string_view::npos) {
        position = text.size();
        return std::nullopt;
    }
    std::size_t stop = text.find_first_of(delimiters, start);
    if (stop == std::string_view::npos) stop = text.size();
    position = stop < text.size() ? stop + 1 : stop;
    return text.substr(start, stop - start);
}

}  // namespace

void MimePart::takeContentType(std::string_view header) {
    constexpr std::size_t kPrefixLength = 13;  // "Content-Type:"
    std::size_t position = kPrefixLength;
    const auto mediaType = nextToken(header, position, "/ \t");
    if (!mediaType) return;
    const auto mediaSubtype = nextToken(header, position, "; \r\n\t");
    if (!mediaSubtype) return;
    type.assign(mediaType->substr(0, kMaxTypeLength));
    subtype.assign(mediaSubtype->substr(0, kMaxTypeLength));
    while (position < header.size()) {
        const auto pair = parseParameter(header, position);
        if (!pair) break;
        if (equalNoCase(pair->name, "boundary")) {
            boundary.emplace(pair->value);
        }
        position = pair->next;
    }
}

void MimePart::parse(const char*& cursor, const char* enclosingBoundary) {
    // A part parsed twice starts afresh.
    headers.clear();
    body.clear();
    epilogue.clear();
    firstChild.reset();
    type.clear();
    subtype.clear();
    boundary.reset();
    const std::string enclosing = enclosingBoundary ? enclosingBoundary : "";
    parseLines(cursor, enclosingBoundary ? &enclosing : nullptr);
}

void MimePart::parseLines(const char*& cursor, const std::string* enclosing) {
    enum class Phase { Header, Body, Epilogue } phase = Phase::Header;
    MimePart* lastChild = nullptr;
    std::string folded;  // a header with its continuation lines
    bool storesBody = true;

    while (*cursor != '\0') {
        const char* lineStart = cursor;
        const ScannedLine line = scanLine(cursor, kLineCapacity);
        cursor += line.consumed;
        const std::string_view content(line.text, line.length);

        if (phase == Phase::Header) {
            if (line.terminated && line.length == 0) {
                headers.appendLine(content);
                phase = Phase::Body;
                storesBody = !bodyFilter_ || bodyFilter_(*this);
                continue;
            }
            std::string_view header;
            if (*cursor == ' ' || *cursor == '\t') {
                folded.assign(content);
                folded += "\r\n";
                // Continuation lines are read behind the text collected so
                // far, in what is left of one line buffer.
                while ((*cursor == ' ' || *cursor == '\t') && folded.size() + 2 <= kLineCapacity) {
                    const ScannedLine more = scanLine(cursor, kLineCapacity - folded.size());
                    cursor += more.consumed;
                    folded.append(more.text, more.length);
                    folded += "\r\n";
                }
                headers.appendText(folded);
                header = folded;
            } else {
                headers.appendLine(content);
                header = headers.back();
            }
            if (beginsWithNoCase(header, "Content-Type:")) {
                takeContentType(header);
            }
            continue;
        }

        if (phase == Phase::Epilogue) {
            const std::string_view fromThird = content.substr(content.size() < 2 ? content.size() : 2);
            if (startsWith(fromThird, *enclosing)) {
                cursor = lineStart;
                return;
            }
            epilogue.appendLine(content);
            continue;
        }

        if (content.size() >= 2 && content[0] == '-' && content[1] == '-') {
            const std::string_view afterDashes = content.substr(2);
            if (boundary && depth_ < kMaxNestingDepth) {
                if (afterDashes == *boundary) {
                    SubPartPointer child = newSubPart();
                    MimePart* added = child.get();
                    if (lastChild) {
                        lastChild->nextSibling = std::move(child);
                    } else {
                        firstChild = std::move(child);
                    }
                    lastChild = added;
                    added->parseLines(cursor, &*boundary);
                    continue;
                }
                if (isClosingDelimiter(afterDashes, *boundary)) {
                    // A root leaves whatever follows its closing delimiter unread.
                    if (!enclosing) return;
                    phase = Phase::Epilogue;
                    continue;
                }
            }
            if (enclosing && startsWith(afterDashes, *enclosing)) {
                // The enclosing part reads this line again.
                cursor = lineStart;
                return;
            }
        }
        if (!storesBody) continue;
        if (bodiesInPlace_ && line.consumed == line.length + 2) {
            body.appendInPlace(std::string_view(line.text, line.consumed));  // content and its CR LF
        } else {
            body.appendLine(content);
        }
    }
}
