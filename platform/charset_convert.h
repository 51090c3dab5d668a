// Converting text between the character sets named in mail. One converter
// serves the plug-in, which decodes attachment and picture names given with
// a charset of their own, and the host simulation, which decodes bodies and
// headers as a host does. On Windows it uses the system's code pages, on
// Linux glibc's iconv.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace platform {

// Converts `text` from the character set `from` into `to` (names as in mail,
// any case, with aliases; "ACP" or "" is the system's local code page: the
// ANSI code page on Windows, UTF-8 on Linux). None when a name is unknown or
// the text is not valid in `from`; characters that `to` lacks become '?' (or
// the code page's default character), never a look-alike.
std::optional<std::string> convertCharset(const std::string& text, const std::string& from, const std::string& to);

// The same over `text` itself: true when converted (`text` then holds the
// result), false with `text` as it was. A text already in UTF-8 is not
// copied to be converted into UTF-8, and one of a plain single-byte charset
// grows into UTF-8 in its own memory where its capacity has room.
bool convertCharsetInPlace(std::string& text, const std::string& from, const std::string& to);

// How convertCharsetInPlace reads the bytes of a plain single-byte charset
// `from` into UTF-8 `to`, byte by byte, for decoders that write characters
// as they decode: each byte's character in the first `lengths[byte]` (1 to
// 3) of its four bytes, 0 for a byte the charset leaves undefined (which
// fails the whole conversion); bytes below 0x80 are themselves. None for any
// other pair of charsets.
struct ByteCharacters {
    std::array<std::array<char, 4>, 256> characters;
    std::array<unsigned char, 256> lengths;
};
const ByteCharacters* byteCharacters(const std::string& from, const std::string& to);

// Mail labels text "us-ascii" that holds 8-bit bytes more often than not:
// such text is read as UTF-8 where it is valid UTF-8, else as windows-1252
// (as the WHATWG Encoding Standard reads the label). UTF-7 is 7-bit: text
// with 8-bit bytes, or a shifted run that ends in bits that are not zero
// (RFC 2152), is not UTF-7. The charset `text` is read as, or none when it
// cannot be `canonical` at all; both converters decode through it.
std::optional<std::string> sourceCharsetOf(const std::string& text, const std::string& canonical);

// Well-formed UTF-8 (RFC 3629): no overlongs, surrogates or code points past U+10FFFF.
bool isWellFormedUtf8(const std::string& text);

// The code page of the host's texts, into which names decoded from mail are
// converted: "ACP" unless a program that plays a host with another code page
// (the torvane tool: UTF-8 on every system) sets it.
const std::string& localCodePage();
void setLocalCodePage(const std::string& name);

// Whether `byte` opens a two-byte character in the local code page (GBK,
// Big5, Shift_JIS, UHC): the byte after it is then part of the same
// character, even where it looks like "\\" or "|".
bool opensDoubleByteCharacter(unsigned char byte);

}  // namespace platform
