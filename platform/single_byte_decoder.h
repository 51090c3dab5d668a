// Plain single-byte charsets into UTF-8 a byte at a time: a table of what
// the system's converter makes of each byte on its own decodes a large body
// in one pass, without the converter's detour (iconv's through UCS-4,
// Windows' through UTF-16), into the same text and with the same failure on
// a byte the charset does not define.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "platform/charset_convert.h"

namespace platform {

class SingleByteDecoder {
public:
    // The UTF-8 of one byte of the charset on its own; none where the
    // charset leaves the byte undefined.
    using ByteText = std::function<std::optional<std::string>(unsigned char byte)>;

    // Valid where every byte gives one character of the BMP, or none.
    explicit SingleByteDecoder(const ByteText& byteText);

    bool valid() const { return valid_; }
    bool asciiAsItIs() const { return asciiAsItIs_; }  // every byte below 0x80 is its own character
    const ByteCharacters& table() const { return table_; }

    // The text decoded; none when a byte is undefined.
    std::optional<std::string> decode(const std::string& text) const;
    // Over the text itself where its capacity holds the result: the text is
    // moved to the end of its memory and decoded from there to the front,
    // the writing always behind the reading. False, the text untouched, when
    // a byte is undefined.
    bool decodeInPlace(std::string& text) const;

private:
    std::optional<std::size_t> decodedSize(const std::string& text) const;
    // Writes the characters of `size` bytes at `out`, four bytes each.
    // `out` may lie before `text` in the same memory, at least four bytes
    // before it: each byte is read before the writing reaches it.
    void write(const char* text, std::size_t size, char* out) const;
    char* put(unsigned char byte, char* out) const;

    ByteCharacters table_{};
    bool asciiAsItIs_ = false;
    bool valid_ = false;
};

// Charsets of one byte per character whose bytes never combine (glibc's
// WINDOWS-1258 joins a letter and a following accent, so it is not one).
bool isPlainSingleByte(const std::string& canonical);

// The decoder of a canonical charset name, made on first use; null where
// the charset is not a plain single-byte one or the system cannot convert it.
const SingleByteDecoder* plainSingleByteDecoder(const std::string& canonical);

// The system's converter for one byte of a charset on its own (each
// platform's charset_convert file); none where the system lacks the charset.
std::optional<SingleByteDecoder::ByteText> systemByteText(const std::string& canonical);

}  // namespace platform
