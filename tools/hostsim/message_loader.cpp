#include "tools/hostsim/message_loader.h"

#include <cctype>
#include <cstdio>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/find_byte.h"
#include "text/no_case.h"
#include "tools/hostsim/converters.h"

namespace hostsim {
namespace {

// Deeper nesting than this is not a real message; its inner parts are ignored.
constexpr int kMaxDepth = 32;

using HeaderList = std::vector<std::pair<std::string, std::string>>;

// Views into the message's source text, which the host keeps: a large
// message is then read without copying its parts.
struct Entity {
    HeaderList headers;  // unfolded, values as written
    std::string_view body;
};

struct ContentType {
    std::string mediaType = "text/plain";  // lower case type/subtype
    std::string charset;
    std::string boundary;
};

// A body as the message holds it, decoded once the walk has chosen it.
struct FoundText {
    Entity entity;
    std::string charset;
};

std::string lower(std::string_view view) {
    std::string text(view);
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return std::string();
    return std::string(text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1));
}

// One line of `text` from `pos`: its content without the line break, and
// where the next line starts.
struct Line {
    std::string_view content;
    std::size_t next;
};

Line lineAt(std::string_view text, std::size_t pos) {
    const char* newline = platform::findByte(text.data() + pos, text.size() - pos, '\n');
    const std::size_t end = newline ? static_cast<std::size_t>(newline - text.data()) : text.size();
    std::string_view content = text.substr(pos, end - pos);
    if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
    return {content, newline ? end + 1 : text.size()};
}

// The field name ends at the colon or, in the obsolete syntax that some
// mailers still write ("From  : John"), at white space before it.
std::size_t fieldNameLength(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == 0 || colon == std::string_view::npos) return 0;
    const std::size_t end = line.find_last_not_of(" \t", colon - 1);
    const std::size_t length = end == std::string_view::npos ? 0 : end + 1;
    for (std::size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c < 33 || c > 126) return 0;
    }
    return length;
}

bool isHeaderLine(std::string_view line) { return fieldNameLength(line) > 0; }

bool isContinuation(std::string_view line) { return !line.empty() && (line[0] == ' ' || line[0] == '\t'); }

// Text whose first line is no header has no header block: all of it is body.
Entity parseEntity(std::string_view text) {
    Entity entity;
    std::size_t pos = 0;
    if (!isHeaderLine(lineAt(text, 0).content)) {
        const Line first = lineAt(text, 0);
        entity.body = first.content.empty() ? text.substr(first.next) : text;
        return entity;
    }
    while (pos < text.size()) {
        const Line line = lineAt(text, pos);
        pos = line.next;
        if (line.content.empty()) {
            entity.body = text.substr(pos);
            break;
        }
        if (isContinuation(line.content) && !entity.headers.empty()) {
            entity.headers.back().second += line.content;  // unfolding keeps the white space
        } else if (isHeaderLine(line.content)) {
            const std::size_t colon = line.content.find(':');
            entity.headers.emplace_back(line.content.substr(0, fieldNameLength(line.content)),
                                        line.content.substr(colon + 1));
        }
    }
    for (auto& header : entity.headers) header.second = trim(header.second);
    return entity;
}

std::string headerValue(const HeaderList& headers, const std::string& name) {
    for (const auto& header : headers) {
        if (equalNoCase(header.first, name)) return header.second;
    }
    return std::string();
}

// Splits "a; b=c; d=\"e;f\"" at the semicolons outside quotes.
std::vector<std::string> splitParameters(const std::string& value) {
    std::vector<std::string> pieces(1);
    bool quoted = false;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (quoted && c == '\\' && i + 1 < value.size()) {
            pieces.back() += value[++i];
            continue;
        }
        if (c == '"') quoted = !quoted;
        if (c == ';' && !quoted) {
            pieces.emplace_back();
            continue;
        }
        if (c != '"') pieces.back() += c;
    }
    return pieces;
}

ContentType parseContentType(const std::string& value) {
    ContentType type;
    const auto pieces = splitParameters(value);
    const std::string mediaType = lower(trim(pieces[0]));
    if (mediaType.find('/') != std::string::npos) type.mediaType = mediaType;
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        const std::size_t equals = pieces[i].find('=');
        if (equals == std::string::npos) continue;
        const std::string name = lower(trim(pieces[i].substr(0, equals)));
        const std::string parameter = trim(pieces[i].substr(equals + 1));
        if (name == "charset") type.charset = parameter;
        if (name == "boundary") type.boundary = parameter;
    }
    return type;
}

// Calls `visit` with each body between the delimiter lines, in order, until
// it returns false; the line break before a delimiter belongs to the
// delimiter. A missing close delimiter ends the last part at the end of the
// text.
template <typename Visit>
void forEachBodyPart(std::string_view body, const std::string& boundary, Visit&& visit) {
    const std::string delimiter = "--" + boundary;
    const std::string closingDelimiter = delimiter + "--";
    std::optional<std::size_t> partStart;
    std::size_t pos = 0;
    while (pos < body.size()) {
        const Line line = lineAt(body, pos);
        const std::string_view content = line.content.substr(0, line.content.find_last_not_of(" \t") + 1);
        const bool closing = content == closingDelimiter;
        if (content == delimiter || closing) {
            if (partStart) {
                std::size_t end = pos;
                if (end > *partStart && body[end - 1] == '\n') --end;
                if (end > *partStart && body[end - 1] == '\r') --end;
                if (!visit(body.substr(*partStart, end - *partStart))) return;
            }
            if (closing) return;
            partStart = line.next;
        }
        pos = line.next;
    }
    if (partStart) visit(body.substr(std::min(*partStart, body.size())));
}

// The body decoded and converted into the local code page; left in its
// charset where it cannot be converted. Quoted-printable text of a
// single-byte charset is decoded into its characters in one pass.
std::string decodedBody(const Entity& entity, const std::string& charset, const std::string& localCodePage) {
    const std::string encoding = lower(trim(headerValue(entity.headers, "Content-Transfer-Encoding")));
    if (encoding == "quoted-printable" && !charset.empty()) {
        if (const platform::ByteCharacters* table = platform::byteCharacters(charset, localCodePage)) {
            if (auto text = decodeQuotedPrintableAsCharacters(entity.body, *table)) return std::move(*text);
        }
    }
    std::string text = encoding == "base64"             ? decodeBase64(entity.body)
                       : encoding == "quoted-printable" ? decodeQuotedPrintable(entity.body)
                                                        : std::string(entity.body);
    // Converted over the decoded text itself.
    if (!charset.empty()) convertCharsetInPlace(text, charset, localCodePage);
    return text;
}

struct Search {
    std::optional<FoundText> html;
    std::optional<FoundText> plain;
};

void walk(const Entity& entity, int depth, Search& search) {
    if (search.html) return;
    const ContentType type = parseContentType(headerValue(entity.headers, "Content-Type"));
    if (beginsWithNoCase(type.mediaType, "multipart/")) {
        if (type.boundary.empty() || depth >= kMaxDepth) return;
        forEachBodyPart(entity.body, type.boundary, [&](std::string_view part) {
            walk(parseEntity(part), depth + 1, search);
            return !search.html;
        });
        return;
    }
    if (beginsWithNoCase(trim(headerValue(entity.headers, "Content-Disposition")), "attachment")) return;
    std::optional<FoundText>* slot = type.mediaType == "text/html"    ? &search.html
                                     : type.mediaType == "text/plain" ? &search.plain
                                                                      : nullptr;
    if (slot && !*slot) *slot = FoundText{entity, type.charset};
}

}  // namespace

SimMessage loadMessage(std::string rawSource, const std::string& localCodePage) {
    SimMessage message = loadMessageWithoutSource(rawSource, localCodePage);
    message.rawSource = std::move(rawSource);  // the views into it went with loading
    return message;
}

SimMessage loadMessageWithoutSource(std::string_view source, const std::string& localCodePage) {
    SimMessage message;
    const Entity root = parseEntity(source);
    const std::string topCharset = parseContentType(headerValue(root.headers, "Content-Type")).charset;
    for (const auto& header : root.headers) {
        message.headers.emplace_back(header.first, decodeEncodedWords(header.second, localCodePage, topCharset));
    }

    Search search;
    walk(root, 0, search);
    std::optional<FoundText>& body = search.html ? search.html : search.plain;
    message.bodyMimeType = search.html ? "text/html" : "text/plain";
    message.charset = topCharset;
    if (body) {
        if (!body->charset.empty()) message.charset = body->charset;
        message.bodyText = decodedBody(body->entity, message.charset, localCodePage);
    }
    return message;
}

bool serveSourceFromFile(SimMessage& message, const std::string& file, std::size_t messageSize) {
    std::FILE* stream = platform::openFile(file, "rb");
    if (!stream) return false;
    long size = -1;
    if (std::fseek(stream, 0, SEEK_END) == 0) size = std::ftell(stream);
    std::fclose(stream);
    if (size < 0 || static_cast<unsigned long>(size) < messageSize) return false;
    message.sourceFile = file;
    message.sourceOffset = static_cast<std::size_t>(size) - messageSize;
    std::string().swap(message.rawSource);
    return true;
}

std::string composeSubject(const std::string& subject, bool forward) {
    return (forward ? "Fw: " : "Re: ") + subject;
}

}  // namespace hostsim
