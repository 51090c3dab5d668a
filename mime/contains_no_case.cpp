#include "mime/contains_no_case.h"

#include <algorithm>
#include <cctype>

std::size_t containsNoCase(const std::string& text, const std::string& word) {
    const auto sameLetter = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    const auto found = std::search(text.begin(), text.end(), word.begin(), word.end(), sameLetter);
    return found == text.end() && !word.empty() ? std::string::npos : static_cast<std::size_t>(found - text.begin());
}
