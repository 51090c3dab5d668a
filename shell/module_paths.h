// Where the plug-in finds its own files: the settings file and the folder of
// the template files, both derived once from the module's own path.
#pragma once

#include <string>

// The module path with everything from its last "." replaced by ".ini";
// ".tmp" appended when the path holds no "." at all. The last "." of the
// whole path counts, even when it is in a folder name.
std::string settingsPathOf(const std::string& modulePath);

// The module path cut after its last path separator (a backslash on
// Windows), the separator kept; empty without one.
std::string moduleFolderOf(const std::string& modulePath);

// Derives and keeps both values for the process.
void setModulePath(const std::string& modulePath);

const std::string& settingsPath();
const std::string& moduleFolder();
