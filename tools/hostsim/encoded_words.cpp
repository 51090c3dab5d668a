#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include "platform/charset_names.h"

#include "tools/hostsim/converters.h"

namespace hostsim {
namespace {

// A piece of a header: plain text, or one encoded word with its raw bytes.
struct Segment {
    std::string raw;
    bool isWord = false;
    std::optional<std::string> charset;  // canonical; none when unknown
    std::string bytes;
    std::optional<std::string> decoded;  // set once the word converted
};

bool hasSpace(const std::string& text) {
    for (const char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) return true;
    }
    return false;
}

bool isLinearWhiteSpace(const std::string& text) {
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string decodeQ(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '_') {
            out += ' ';
        } else if (text[i] == '=' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Where the next "?=" and the next white space are, at or after a position.
// Candidate words are tried left to right, so both searches only move
// forward: a long header full of "=?" that never close is scanned once, not
// once per candidate.
class Lookahead {
public:
    explicit Lookahead(const std::string& text) : text_(text) {}

    std::size_t nextClose(std::size_t from) {
        if (from < closeFrom_ || (close_ != std::string::npos && close_ < from)) {
            close_ = text_.find("?=", from);
            closeFrom_ = from;
        }
        return close_;
    }

    std::size_t nextSpace(std::size_t from) {
        if (from < spaceFrom_ || (space_ != std::string::npos && space_ < from)) {
            space_ = from;
            while (space_ < text_.size() && !std::isspace(static_cast<unsigned char>(text_[space_]))) ++space_;
            if (space_ == text_.size()) space_ = std::string::npos;
            spaceFrom_ = from;
        }
        return space_;
    }

private:
    const std::string& text_;
    std::size_t close_ = std::string::npos;
    std::size_t closeFrom_ = std::string::npos;
    std::size_t space_ = std::string::npos;
    std::size_t spaceFrom_ = std::string::npos;
};

// Parses "=?charset[*language]?B|Q?text?=" at `pos`; none when malformed.
std::optional<Segment> parseWord(const std::string& text, std::size_t pos, std::size_t& end, Lookahead& ahead) {
    const std::size_t charsetEnd = text.find('?', pos + 2);
    if (charsetEnd == std::string::npos || charsetEnd == pos + 2 || charsetEnd + 2 >= text.size()) return std::nullopt;
    std::string label = text.substr(pos + 2, charsetEnd - pos - 2);
    const char encoding = static_cast<char>(std::toupper(static_cast<unsigned char>(text[charsetEnd + 1])));
    if (hasSpace(label) || (encoding != 'B' && encoding != 'Q') || text[charsetEnd + 2] != '?') return std::nullopt;
    const std::size_t textStart = charsetEnd + 3;
    const std::size_t close = ahead.nextClose(textStart);
    if (close == std::string::npos) return std::nullopt;
    if (ahead.nextSpace(textStart) < close) return std::nullopt;
    const std::string encoded = text.substr(textStart, close - textStart);

    const std::size_t star = label.find('*');  // RFC 2231 language suffix
    if (star != std::string::npos) label.erase(star);
    Segment word;
    end = close + 2;
    word.raw = text.substr(pos, end - pos);
    word.isWord = true;
    if (!label.empty()) word.charset = platform::canonicalCharsetName(label);
    word.bytes = encoding == 'B' ? decodeBase64(encoded) : decodeQ(encoded);
    return word;
}

Segment plainSegment(const std::string& text) {
    Segment segment;
    segment.raw = text;
    return segment;
}

std::vector<Segment> split(const std::string& text) {
    std::vector<Segment> segments;
    Lookahead ahead(text);
    std::string plain;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t start = text.find("=?", i);
        if (start == std::string::npos) {
            plain += text.substr(i);
            break;
        }
        std::size_t end = 0;
        auto word = parseWord(text, start, end, ahead);
        if (!word) {
            plain += text.substr(i, start + 2 - i);
            i = start + 2;
            continue;
        }
        plain += text.substr(i, start - i);
        if (!plain.empty()) segments.push_back(plainSegment(plain));
        plain.clear();
        segments.push_back(std::move(*word));
        i = end;
    }
    if (!plain.empty()) segments.push_back(plainSegment(plain));
    return segments;
}

bool joinsPrevious(const std::vector<Segment>& segments, std::size_t wordIndex, std::size_t previousWord) {
    for (std::size_t k = previousWord + 1; k < wordIndex; ++k) {
        if (!isLinearWhiteSpace(segments[k].raw)) return false;
    }
    return segments[previousWord].charset == segments[wordIndex].charset;
}

// Adjacent words of one charset are converted together: encoders split a
// multi-byte character across two words more often than they should.
void convertWords(std::vector<Segment>& segments, const std::string& targetCharset) {
    std::size_t first = 0;
    while (first < segments.size()) {
        if (!segments[first].isWord || !segments[first].charset) {
            ++first;
            continue;
        }
        std::vector<std::size_t> run{first};
        std::size_t next = first + 1;
        for (; next < segments.size(); ++next) {
            if (!segments[next].isWord) continue;
            if (!joinsPrevious(segments, next, run.back())) break;
            run.push_back(next);
        }
        std::string bytes;
        for (const std::size_t index : run) bytes += segments[index].bytes;
        if (auto converted = convertCharset(bytes, *segments[first].charset, targetCharset)) {
            for (const std::size_t index : run) segments[index].decoded = std::string();
            segments[first].decoded = std::move(converted);
        } else {
            for (const std::size_t index : run) {
                segments[index].decoded = convertCharset(segments[index].bytes, *segments[index].charset, targetCharset);
            }
        }
        first = run.back() + 1;
    }
}

// Text outside encoded words that holds 8-bit bytes, as much mail has: read
// as UTF-8 where it is valid UTF-8, else in `rawCharset` (the message's),
// else as windows-1252; kept as it is when none of them converts.
std::string convertedRawText(const std::string& raw, const std::string& rawCharset, const std::string& target) {
    const bool eightBit =
        std::any_of(raw.begin(), raw.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (!eightBit) return raw;
    if (platform::isWellFormedUtf8(raw)) {
        if (auto converted = convertCharset(raw, "UTF-8", target)) return *converted;
        return raw;
    }
    for (const std::string& charset : {rawCharset, std::string("WINDOWS-1252")}) {
        if (charset.empty()) continue;
        if (auto converted = convertCharset(raw, charset, target)) return *converted;
    }
    return raw;
}

}  // namespace

std::string decodeEncodedWords(const std::string& text, const std::string& targetCharset,
                               const std::string& rawCharset) {
    std::vector<Segment> segments = split(text);
    convertWords(segments, targetCharset);
    std::string out;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const Segment& segment = segments[i];
        if (segment.isWord) {
            out += segment.decoded ? *segment.decoded : segment.raw;
            continue;
        }
        const bool betweenDecodedWords = i > 0 && i + 1 < segments.size() && segments[i - 1].decoded &&
                                         segments[i + 1].decoded && isLinearWhiteSpace(segment.raw);
        if (!betweenDecodedWords) out += convertedRawText(segment.raw, rawCharset, targetCharset);
    }
    return out;
}

}  // namespace hostsim
