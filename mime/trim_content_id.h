#pragma once

#include <string>

// A Content-Id value without leading " ", "<", CR, LF and trailing " ", ">", CR, LF.
std::string trimContentId(const std::string& value);
