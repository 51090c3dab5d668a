// Plays the mail client's part from files: the message being answered, the
// mailbox folder with its identity and signatures, and a temporary folder.
#pragma once

#include <string>

#include "platform/host_types.h"

namespace torvane {

struct HostFiles {
    std::string rawMessage;
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

// Where the sample mailbox and messages are.
std::string examplesFolder();

// The template render uses without --template: torvane.tml (torvanefwd.tml)
// beside the tool when there is one, as in the release archive; otherwise the
// Classic pair of the gallery, the one the release ships.
std::string defaultTemplatePath(bool forward);

}  // namespace torvane
