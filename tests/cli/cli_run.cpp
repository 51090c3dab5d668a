#include "cli_run.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool pathExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

std::string freshWorkFolder(const std::string& name) {
    const std::string folder = std::string(TORVANE_CLI_WORK_DIR) + "/" + name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

CliRun runTorvane(const std::string& arguments, const std::string& environment, const std::string& tool) {
    const std::string work = std::string(TORVANE_CLI_WORK_DIR);
    std::filesystem::create_directories(work);
    // One pair of files per run, so that test programs running side by side
    // never read each other's output.
    static int runs = 0;
    const std::string stem = work + "/run-" + std::to_string(getpid()) + "-" + std::to_string(++runs);
    const std::string outPath = stem + ".out";
    const std::string errPath = stem + ".err";
    const std::string command = "cd '" + std::string(TORVANE_SOURCE_DIR) + "' && " + environment + " '" + tool +
                                "' " + arguments + " >'" + outPath + "' 2>'" + errPath + "' </dev/null";
    const int raw = std::system(command.c_str());
    CliRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + (WIFSIGNALED(raw) ? WTERMSIG(raw) : 0);
    run.out = readText(outPath);
    run.err = readText(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return run;
}
