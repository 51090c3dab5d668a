// Plays the mail client's part from files: the message being answered, the
// mailbox folder with its identity and signatures, and a temporary folder.
#pragma once

#include <string>

#include "platform/host_types.h"
#include "tools/torvane/input_files.h"

namespace torvane {

struct HostFiles {
    MessageText rawMessage;
    // The file rawMessage was read from, when the host may read it again
    // there (rawMessage is then the file's end, without its first bytes).
    std::string messageFile;
    std::string mailboxFolder;  // ends in a path separator
    std::string tempFolder;     // ends in a path separator
    bool forward = false;
};

// Resets the simulated host to the files' folders, with no message loaded
// (what inspecting a message needs).
void startHost(const HostFiles& files);

// startHost, then the message as the one being answered (moved out of
// `files`, not copied); returns the compose window's handle.
HostWindow playHost(HostFiles& files);

// `folder` with one trailing path separator.
std::string asFolder(const std::string& folder);

bool isDirectory(const std::string& path);

// A new, empty folder under the system's temporary folder.
std::string makeFreshTempFolder();

// The folder render makes when no --temp is given. It is removed, with what
// was saved into it, when the object goes (also on an error), unless
// keepIfUsed() found a file in it: a page written with -o refers to them.
class ToolTempFolder {
public:
    ToolTempFolder() = default;
    ~ToolTempFolder();
    ToolTempFolder(const ToolTempFolder&) = delete;
    ToolTempFolder& operator=(const ToolTempFolder&) = delete;

    // Makes the folder (makeFreshTempFolder) and returns it.
    const std::string& make();
    // Keeps the folder when something was saved into it; true when kept.
    bool keepIfUsed();

private:
    std::string folder_;
    bool keep_ = false;
};

}  // namespace torvane
