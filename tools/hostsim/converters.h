// The simulated host's decoders. They really decode, so that what the
// plug-in does with the host's results is tested against real data.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/charset_convert.h"

namespace hostsim {

std::string decodeBase64(std::string_view encoded);
std::string decodeQuotedPrintable(std::string_view encoded);
// Decoded and converted at once, as convertCharsetInPlace would convert the
// decoded text with `table`'s charset; none where that conversion fails (a
// byte the charset leaves undefined) or where a byte written unencoded grows
// into several: decode and convert those in two steps.
std::optional<std::string> decodeQuotedPrintableAsCharacters(std::string_view encoded,
                                                             const platform::ByteCharacters& table);
// Base64 fed in pieces, as a file is read: a piece may end anywhere, even
// inside a group of four.
class Base64Decoder {
public:
    // Decodes the next piece into `out`, which may be `text` itself; the
    // bytes written.
    std::size_t decode(const char* text, std::size_t size, char* out);

private:
    unsigned bits_ = 0;
    int bitCount_ = 0;
    bool ended_ = false;  // padding was read: nothing after it is data
};
// Quoted-printable text of whole lines (the last may lack its line end only
// at the end of the text), decoded over itself: the bytes written. Pieces of
// whole lines decode one after another as the text would at once.
std::size_t decodeQuotedPrintableInPlace(char* text, std::size_t size);

// Resolves RFC 2047 encoded words (B and Q) into the target character set;
// white space between two adjacent encoded words is dropped. Text outside
// them that holds 8-bit bytes is converted too: from UTF-8 where it is valid
// UTF-8, else from `rawCharset` (the message's charset, when known), else
// from windows-1252, as mail readers read such headers.
std::string decodeEncodedWords(const std::string& text, const std::string& targetCharset,
                               const std::string& rawCharset = "");
// The host converts with the same code as the plug-in's names.
using platform::convertCharset;
using platform::convertCharsetInPlace;

}  // namespace hostsim
