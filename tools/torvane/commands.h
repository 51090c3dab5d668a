// The tool's commands. Each returns the process's exit status and reports
// errors by throwing UsageError.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace torvane {

int renderCommand(const std::vector<std::string>& words, std::ostream& out, std::ostream& err);
int inspectCommand(const std::vector<std::string>& words, std::ostream& out, std::ostream& err);
int checkCommand(const std::vector<std::string>& words, std::ostream& out, std::ostream& err);
int serveCommand(const std::vector<std::string>& words, std::ostream& out, std::ostream& err);

extern const char* const kRenderHelp;
extern const char* const kInspectHelp;
extern const char* const kCheckHelp;
extern const char* const kServeHelp;

}  // namespace torvane
