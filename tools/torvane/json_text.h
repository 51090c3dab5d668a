#pragma once

#include <string>

namespace torvane {

// `text` as a JSON string literal. Valid UTF-8 passes through; any other
// byte is written as the code point of the same value (\u00XX), so the
// output is always valid JSON.
std::string jsonString(const std::string& text);

}  // namespace torvane
