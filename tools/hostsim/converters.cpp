// Placeholder decoders; replaced by the real ones.
#include "tools/hostsim/converters.h"

namespace hostsim {

std::string decodeBase64(const std::string& encoded) { return encoded; }
std::string decodeQuotedPrintable(const std::string& encoded) { return encoded; }
std::string decodeEncodedWords(const std::string& text, const std::string&) { return text; }
std::optional<std::string> convertCharset(const std::string& text, const std::string&, const std::string&) {
    return text;
}

}  // namespace hostsim
