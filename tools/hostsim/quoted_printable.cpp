#include <algorithm>
#include <cstring>

#include "tools/hostsim/converters.h"

namespace hostsim {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Writes decoded text over the encoded text itself, at or before what is
// read: decoding never makes text longer.
class InPlaceWriter {
public:
    explicit InPlaceWriter(char* out) : out_(out) {}
    void append(const char* text, std::size_t size) {
        std::memmove(out_ + written_, text, size);
        written_ += size;
    }
    void put(char c) { out_[written_++] = c; }
    std::size_t written() const { return written_; }

private:
    char* out_;
    std::size_t written_ = 0;
};

// Appends to a fresh text, whose pages are touched only as it fills.
class AppendingWriter {
public:
    explicit AppendingWriter(std::string& out) : out_(out) {}
    void append(const char* text, std::size_t size) { out_.append(text, size); }
    void put(char c) { out_ += c; }

private:
    std::string& out_;
};

// Decodes one line without its line break. An "=" that does not start a
// valid escape is kept as written.
template <typename Writer>
void decodeLine(std::string_view line, Writer& out) {
    for (std::size_t i = 0; i < line.size();) {
        // The text up to the next "=" as it stands, in one piece.
        const std::size_t equals = std::min(line.find('=', i), line.size());
        out.append(line.data() + i, equals - i);
        i = equals;
        if (i == line.size()) break;
        if (i + 2 < line.size() && hexValue(line[i + 1]) >= 0 && hexValue(line[i + 2]) >= 0) {
            out.put(static_cast<char>(hexValue(line[i + 1]) * 16 + hexValue(line[i + 2])));
            i += 3;
        } else {
            out.put('=');
            ++i;
        }
    }
}

// RFC 2045: white space at the end of an encoded line was added in transit
// and is dropped; a line ending in "=" (soft break) joins the next one.
template <typename Writer>
void decodeQuotedPrintableTo(std::string_view encoded, Writer& out) {
    std::size_t start = 0;
    while (start < encoded.size()) {
        const std::size_t newline = encoded.find('\n', start);
        const std::size_t end = newline == std::string_view::npos ? encoded.size() : newline;
        std::size_t contentEnd = end;
        if (newline != std::string_view::npos && contentEnd > start && encoded[contentEnd - 1] == '\r') --contentEnd;
        const std::string_view lineEnd = encoded.substr(contentEnd, end - contentEnd);
        while (contentEnd > start && (encoded[contentEnd - 1] == ' ' || encoded[contentEnd - 1] == '\t')) --contentEnd;
        std::string_view line = encoded.substr(start, contentEnd - start);
        const bool softBreak = !line.empty() && line.back() == '=';
        if (softBreak) line.remove_suffix(1);
        decodeLine(line, out);
        if (!softBreak) {
            out.append(lineEnd.data(), lineEnd.size());
            if (newline != std::string_view::npos) out.put('\n');
        }
        start = newline == std::string_view::npos ? encoded.size() : newline + 1;
    }
}

}  // namespace

std::string decodeQuotedPrintable(std::string_view encoded) {
    std::string out;
    out.reserve(encoded.size());
    AppendingWriter writer(out);
    decodeQuotedPrintableTo(encoded, writer);
    return out;
}

std::size_t decodeQuotedPrintableInPlace(char* text, std::size_t size) {
    InPlaceWriter writer(text);
    decodeQuotedPrintableTo(std::string_view(text, size), writer);
    return writer.written();
}

void decodeQuotedPrintableInPlace(std::string& text) { text.resize(decodeQuotedPrintableInPlace(text.data(), text.size())); }

}  // namespace hostsim
