// The simulated host's decoders. They really decode, so that what the
// plug-in does with the host's results is tested against real data.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace hostsim {

std::string decodeBase64(std::string_view encoded);
std::string decodeQuotedPrintable(std::string_view encoded);
// Resolves RFC 2047 encoded words (B and Q) into the target character set;
// white space between two adjacent encoded words is dropped.
std::string decodeEncodedWords(const std::string& text, const std::string& targetCharset);
// Converts between two character sets (names as in MIME). None when the
// conversion is not known or the input is invalid.
std::optional<std::string> convertCharset(const std::string& text, const std::string& from, const std::string& to);

}  // namespace hostsim
