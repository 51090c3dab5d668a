#include "tests/wine/registered_commands.h"

#include <stdexcept>

namespace wintest {

const hostsim::RegisteredCommand& latestCommand(const std::string& name) {
    const std::vector<hostsim::RegisteredCommand>& commands = hostsim::simHost().commands;
    for (auto it = commands.rbegin(); it != commands.rend(); ++it) {
        if (it->name == name) return *it;
    }
    throw std::runtime_error("no command " + name);
}

void runCommand(const std::string& name, HWND window) {
    const hostsim::RegisteredCommand& chosen = latestCommand(name);
    chosen.callback(window, chosen.id);
}

}  // namespace wintest
