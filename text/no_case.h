// Comparing texts without regard to the case of ASCII letters, as header
// names, charset names, encodings and folder names are compared. Bytes
// outside ASCII compare as they are.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Position of the first occurrence of `word` in `text`; std::string::npos
// when there is none. An empty word is found at position 0.
std::size_t containsNoCase(std::string_view text, std::string_view word);

// Whether `text` begins with `prefix`.
bool beginsWithNoCase(std::string_view text, std::string_view prefix);

// Whether the two texts are the same but for letter case.
bool equalNoCase(std::string_view a, std::string_view b);
