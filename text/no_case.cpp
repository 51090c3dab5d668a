#include "text/no_case.h"

#include <algorithm>
#include <cctype>

std::size_t containsNoCase(const std::string& text, const std::string& word) {
    const auto sameLetter = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    const auto found = std::search(text.begin(), text.end(), word.begin(), word.end(), sameLetter);
    return found == text.end() && !word.empty() ? std::string::npos : static_cast<std::size_t>(found - text.begin());
}

bool beginsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}
