// The commands the plug-in registered with the simulated host, found by
// name and run the way the host runs one when the user chooses it.
#pragma once

#include <windows.h>

#include <string>

#include "tools/hostsim/sim_host.h"

namespace wintest {

// The latest command registered under that name; throws when there is none.
const hostsim::RegisteredCommand& latestCommand(const std::string& name);

// Calls the latest command of that name for the window, with its own id.
void runCommand(const std::string& name, HWND window);

}  // namespace wintest
