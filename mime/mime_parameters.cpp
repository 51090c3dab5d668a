// Parameters of header values (name=value pairs) and the disposition tests
// built on header lookup.
#include <algorithm>

#include "mime/mime_part.h"
#include "text/no_case.h"

namespace {

constexpr const char* kSpaceAndLineEnds = " \t\r\n";
constexpr const char* kPairSeparators = " \t\r\n;";

std::size_t skip(std::string_view text, std::size_t position, const char* characters) {
    const std::size_t found = text.find_first_not_of(characters, position);
    return found == std::string_view::npos ? text.size() : found;
}

}  // namespace

std::optional<ParameterPair> parseParameter(std::string_view text, std::size_t position) {
    position = skip(text, std::min(position, text.size()), kPairSeparators);
    const std::size_t equals = text.find('=', position);
    if (equals == std::string_view::npos) return std::nullopt;
    ParameterPair pair;
    pair.name = text.substr(position, equals - position);
    std::size_t start = skip(text, equals + 1, kSpaceAndLineEnds);
    std::size_t after;
    if (start < text.size() && text[start] == '"') {
        ++start;
        const std::size_t quote = text.find('"', start);
        const std::size_t stop = quote == std::string_view::npos ? text.size() : quote;
        pair.value = text.substr(start, stop - start);
        after = quote == std::string_view::npos ? text.size() : quote + 1;
    } else {
        const std::size_t separator = text.find_first_of(kPairSeparators, start);
        const std::size_t stop = separator == std::string_view::npos ? text.size() : separator;
        pair.value = text.substr(start, stop - start);
        after = separator == std::string_view::npos ? text.size() : separator + 1;
    }
    pair.next = skip(text, after, kPairSeparators);
    return pair;
}

bool headerParameter(std::string_view headerValueText, const char* name, std::string& value) {
    value.clear();
    const auto pair = parseParameter(headerValueText);
    if (!pair || containsNoCase(pair->name, name) == std::string::npos) return false;
    value.assign(pair->value);
    return true;
}

bool isAttachment(const MimePart& part) {
    std::string disposition;
    part.headerValue("Content-Disposition", 100, disposition);
    return beginsWithNoCase(disposition, "attachment");
}

bool isInline(const MimePart& part) {
    std::string value;
    part.headerValue("Content-Disposition", 100, value);
    if (beginsWithNoCase(value, "inline")) return true;
    part.headerValue("Content-Id", 1000, value);
    return !value.empty();
}
