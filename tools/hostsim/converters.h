// The simulated host's decoders. They really decode, so that what the
// plug-in does with the host's results is tested against real data.
#pragma once

#include <string>
#include <string_view>

#include "platform/charset_convert.h"

namespace hostsim {

std::string decodeBase64(std::string_view encoded);
std::string decodeQuotedPrintable(std::string_view encoded);
// The same, over the encoded text itself: a large file is decoded without a
// second block beside it.
void decodeBase64InPlace(std::string& text);
void decodeQuotedPrintableInPlace(std::string& text);
// Resolves RFC 2047 encoded words (B and Q) into the target character set;
// white space between two adjacent encoded words is dropped. Text outside
// them that holds 8-bit bytes is converted too: from UTF-8 where it is valid
// UTF-8, else from `rawCharset` (the message's charset, when known), else
// from windows-1252, as mail readers read such headers.
std::string decodeEncodedWords(const std::string& text, const std::string& targetCharset,
                               const std::string& rawCharset = "");
// The host converts with the same code as the plug-in's names.
using platform::convertCharset;

}  // namespace hostsim
