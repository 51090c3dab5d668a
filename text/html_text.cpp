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

bool isBlankLine(const std::string& line) { return line.find_first_not_of(" \r\n") == std::string::npos; }

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

std::string plainTextToHtml(const std::string& text) {
    const std::string escaped = htmlEscapeAngles(text);
    // The host-sized line buffer bounds one line; a longer line goes on in
    // the next div rather than being lost.
    HostBuffer lineBuffer(kLineBufferSize);
    const std::size_t maxLine = static_cast<std::size_t>(lineBuffer.size() - 1);
    std::string html;
    std::size_t position = 0;
    for (;;) {
        const std::size_t lineEnd = std::min(escaped.find('\n', position), escaped.size());
        const std::size_t pieceEnd = std::min(lineEnd, position + maxLine);
        const std::string line = escaped.substr(position, pieceEnd - position);
        if (isBlankLine(line)) {
            html += "<div>&nbsp;</div>";
        } else {
            html += "<div>" + line + "</div>";
        }
        if (pieceEnd < lineEnd) {
            position = pieceEnd;
            continue;
        }
        if (lineEnd == escaped.size()) break;
        position = lineEnd + 1;
    }
    return html;
}
