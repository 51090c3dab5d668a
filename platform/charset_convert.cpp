#include "platform/charset_convert.h"

#include "platform/charset_names.h"

namespace platform {

// The system's own code page (the ANSI code page on Windows, UTF-8 on Linux);
// defined beside each system's converter.
bool systemCodePageLeadByte(unsigned char byte);

namespace {

std::string& localCodePageName() {
    static std::string name = kLocalCodePage;
    return name;
}

// The two-byte code pages a host may use, by their lead bytes.
bool isLeadByteOf(const std::string& canonical, unsigned char byte) {
    if (canonical == "CP936" || canonical == "GB18030" || canonical == "CP950" || canonical == "BIG5-HKSCS" ||
        canonical == "CP949") {
        return byte >= 0x81 && byte <= 0xFE;
    }
    if (canonical == "CP932") return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    return false;
}

}  // namespace

bool opensDoubleByteCharacter(unsigned char byte) {
    if (byte < 0x80) return false;
    const std::optional<std::string> canonical = canonicalCharsetName(localCodePage());
    if (!canonical) return false;
    if (*canonical == kLocalCodePage) return systemCodePageLeadByte(byte);
    return isLeadByteOf(*canonical, byte);
}

const std::string& localCodePage() { return localCodePageName(); }

void setLocalCodePage(const std::string& name) { localCodePageName() = name; }

}  // namespace platform
