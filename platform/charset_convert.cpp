#include "platform/charset_convert.h"

#include "platform/charset_names.h"

namespace platform {
namespace {

std::string& localCodePageName() {
    static std::string name = kLocalCodePage;
    return name;
}

}  // namespace

const std::string& localCodePage() { return localCodePageName(); }

void setLocalCodePage(const std::string& name) { localCodePageName() = name; }

}  // namespace platform
