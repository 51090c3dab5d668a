// The tool's arguments in UTF-8: on Windows read from the UTF-16 command
// line, so that a path in any script reaches the tool whatever the ANSI code
// page; elsewhere argv as it is.
#pragma once

#include <string>
#include <vector>

namespace torvane {

// The arguments after the program's name.
std::vector<std::string> commandLineArguments(int argc, char** argv);

}  // namespace torvane
