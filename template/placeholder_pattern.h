// Placeholder patterns: a "%" not preceded by another "%", then the rest.
// The look-behind is written after the percent sign ("%(?<!%%)rest" rather
// than "(?<!%)%rest"): it checks the same character, but a pattern that
// starts with a literal lets the regex engine jump from one "%" to the next
// instead of trying every position of the text, which is many times faster.
#pragma once

#include <string>

inline std::string placeholderPattern(const std::string& rest) { return "%(?<!%%)" + rest; }
