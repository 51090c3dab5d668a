#include "tools/torvane/command_line.h"

#if defined(_WIN32)
#include <windows.h>
#include <shellapi.h>

#include "platform/files.h"
#endif

namespace torvane {

std::vector<std::string> commandLineArguments(int argc, char** argv) {
#if defined(_WIN32)
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide) {
        std::vector<std::string> arguments;
        for (int i = 1; i < count; ++i) arguments.push_back(platform::narrowPath(wide[i]));
        LocalFree(wide);
        return arguments;
    }
#endif
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace torvane
