#pragma once

#include <string>

// Replaces every "<" by "&lt;", then every ">" by "&gt;"; nothing else.
std::string htmlEscapeAngles(const std::string& text);
