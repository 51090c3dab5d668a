// The simulated host's decoders. They really decode, so that what the
// plug-in does with the host's results is tested against real data.
#pragma once

#include <string>
#include <string_view>

#include "platform/charset_convert.h"

namespace hostsim {

std::string decodeBase64(std::string_view encoded);
std::string decodeQuotedPrintable(std::string_view encoded);
// Resolves RFC 2047 encoded words (B and Q) into the target character set;
// white space between two adjacent encoded words is dropped.
std::string decodeEncodedWords(const std::string& text, const std::string& targetCharset);
// The host converts with the same code as the plug-in's names.
using platform::convertCharset;

}  // namespace hostsim
