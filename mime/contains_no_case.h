#pragma once

#include <cstddef>
#include <string>

// Position of the first occurrence of `word` in `text`, letters compared
// without regard to case; std::string::npos when there is none. An empty
// word is found at position 0.
std::size_t containsNoCase(const std::string& text, const std::string& word);
