// Maps the character-set names found in mail (any case, with aliases) to one
// canonical name per supported set, so that the iconv and the Win32
// converters agree on what a label means.
#pragma once

#include <optional>
#include <string>

namespace platform {

// The canonical name: an iconv name ("UTF-8", "CP936", "ISO-8859-2", ...) or
// "HZ-GB-2312", which is converted here through EUC-CN. The local code page
// is named "ACP" or "" and maps to kLocalCodePage. None when the name is not
// known.
std::optional<std::string> canonicalCharsetName(const std::string& name);

constexpr const char* kLocalCodePage = "ACP";

}  // namespace platform
