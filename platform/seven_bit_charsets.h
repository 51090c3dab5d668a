// The 7-bit Chinese and Japanese mail encodings, rewritten into their 8-bit
// EUC forms. glibc has no HZ converter, and Windows systems without the
// ISO-2022 and HZ code pages (wine among them) convert the EUC forms only.
#pragma once

#include <optional>
#include <string>

namespace platform {

// HZ-GB-2312 (RFC 1843) to EUC-CN bytes. None when the text is not valid HZ.
std::optional<std::string> hzToEucCn(const std::string& hz);

// EUC-CN (or GBK) bytes to HZ-GB-2312; characters outside GB2312 become '?'.
std::string eucCnToHz(const std::string& eucCn);

// ISO-2022-JP (RFC 1468, with the JIS X 0212 and half-width katakana
// extensions) to EUC-JP bytes. None when the text is not valid.
std::optional<std::string> iso2022JpToEucJp(const std::string& jis);

// Whether `text` is well-formed UTF-7 (RFC 2152): 7-bit bytes only, and
// every shifted run ends with fewer than six spare bits, all zero.
bool isWellFormedUtf7(const std::string& text);

}  // namespace platform
