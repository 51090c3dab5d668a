#include "text/no_case.h"

#include <algorithm>
#include <cctype>

namespace {

bool sameLetter(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

}  // namespace

std::size_t containsNoCase(std::string_view text, std::string_view word) {
    const auto found = std::search(text.begin(), text.end(), word.begin(), word.end(), sameLetter);
    return found == text.end() && !word.empty() ? std::string::npos : static_cast<std::size_t>(found - text.begin());
}

bool beginsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), sameLetter);
}

bool equalNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && beginsWithNoCase(a, b); }
