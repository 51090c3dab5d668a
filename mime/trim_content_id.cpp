#include "mime/trim_content_id.h"

std::string trimContentId(const std::string& value) {
    const auto first = value.find_first_not_of(" <\r\n");
    if (first == std::string::npos) return std::string();
    const auto last = value.find_last_not_of(" >\r\n");
    if (last == std::string::npos || last < first) return std::string();
    return value.substr(first, last - first + 1);
}
