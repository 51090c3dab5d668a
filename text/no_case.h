#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Position of the first occurrence of `word` in `text`, letters compared
// without regard to case; std::string::npos when there is none. An empty
// word is found at position 0.
std::size_t containsNoCase(const std::string& text, const std::string& word);

// Whether `text` begins with `prefix`, letters compared without regard to case.
bool beginsWithNoCase(std::string_view text, std::string_view prefix);
