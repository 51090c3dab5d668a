#include "text/html_text.h"

#include <algorithm>

#include "platform/host_buffer.h"

namespace {

constexpr int kLineBufferSize = 0x7fff;  // one line of a plain-text body, NUL included

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    std::string result;
    result.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t found; (found = text.find(from, start)) != std::string::npos; start = found + from.size()) {
        result.append(text, start, found - start);
        result += to;
    }
    result.append(text, start, std::string::npos);
    text.swap(result);
}

}  // namespace

std::string htmlEscapeAngles(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        if (c == '<') {
            escaped += "&lt;";
        } else if (c == '>') {
            escaped += "&gt;";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string textToHtml(const std::string& text) {
    std::string html = text;
    replaceAll(html, " ", "&nbsp;");
    replaceAll(html, "\r\n", "</div><div>");
    return "<div>" + html + "</div>";
}

namespace {

constexpr char kBlankDiv[] = "<div>&nbsp;</div>";
constexpr std::size_t kBlankDivLength = sizeof kBlankDiv - 1;
constexpr std::size_t kDivTagsLength = 11;  // "<div>" and "</div>"

std::size_t escapedLength(std::string_view text) {
    std::size_t length = text.size();
    for (const char c : text) length += (c == '<' || c == '>') ? 3 : 0;
    return length;
}

void appendEscaped(std::string& html, std::string_view text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '<' && c != '>') continue;
        html.append(text.data() + start, i - start);
        html += c == '<' ? "&lt;" : "&gt;";
        start = i + 1;
    }
    html.append(text.data() + start, text.size() - start);
}

bool isBlank(std::string_view line) { return line.find_first_not_of(" \r\n") == std::string_view::npos; }

// Calls `piece(line, escaped)` for each div of the body in order: a line
// whose escaped form fits the line buffer as its source text (escaped =
// false), a longer one as the escaped pieces it is cut into (escaped = true).
// Escaping adds no line ends, so the body's lines are its source lines.
template <typename Piece>
void forEachDiv(std::string_view text, std::size_t maxLine, Piece&& piece) {
    std::string escaped;
    std::size_t position = 0;
    for (;;) {
        const std::size_t lineEnd = std::min(text.find('\n', position), text.size());
        const std::string_view line = text.substr(position, lineEnd - position);
        if (line.size() <= maxLine / 4 || escapedLength(line) <= maxLine) {
            piece(line, false);
        } else {
            escaped.clear();
            appendEscaped(escaped, line);
            for (std::size_t at = 0; at < escaped.size(); at += maxLine) {
                piece(std::string_view(escaped).substr(at, maxLine), true);
            }
        }
        if (lineEnd == text.size()) break;
        position = lineEnd + 1;
    }
}

}  // namespace

std::string plainTextToHtml(std::string_view text) {
    // The host-sized line buffer bounds one line; a longer line goes on in
    // the next div rather than being lost.
    HostBuffer lineBuffer(kLineBufferSize);
    const std::size_t maxLine = static_cast<std::size_t>(lineBuffer.size() - 1);
    // Measured first, so that a large body is written once into a text of
    // its final size.
    std::size_t length = 0;
    forEachDiv(text, maxLine, [&](std::string_view piece, bool escaped) {
        length += isBlank(piece) ? kBlankDivLength : kDivTagsLength + (escaped ? piece.size() : escapedLength(piece));
    });
    std::string html;
    html.reserve(length);
    forEachDiv(text, maxLine, [&](std::string_view piece, bool escaped) {
        if (isBlank(piece)) {
            html.append(kBlankDiv, kBlankDivLength);
            return;
        }
        html += "<div>";
        if (escaped) {
            html.append(piece.data(), piece.size());
        } else {
            appendEscaped(html, piece);
        }
        html += "</div>";
    });
    return html;
}
