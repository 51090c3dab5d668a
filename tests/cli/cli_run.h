// Runs the built torvane tool and captures what it printed.
#pragma once

#include <string>

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// A repeatable random signature, and local times of UTC+8 (Shanghai).
inline const std::string kRepeatable = "TORVANE_RANDOM_SEED=1 TZ=CST-8";

// `arguments` is appended to the tool's path as written (shell syntax);
// `tool` is the built one unless given.
CliRun runTorvane(const std::string& arguments, const std::string& environment = "",
                  const std::string& tool = TORVANE_CLI_PATH);

std::string readText(const std::string& path);
bool pathExists(const std::string& path);
// A fresh, empty folder below the test work folder.
std::string freshWorkFolder(const std::string& name);
