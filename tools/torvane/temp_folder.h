// The folder given with --temp: where a render saves attachments and
// pictures. Each render into it records the names it added in the file
// ".torvane-written" there, so that --fresh can remove them, and nothing else.
#pragma once

#include <iosfwd>
#include <set>
#include <string>

namespace torvane {

// `given` made when missing (its parent must exist), as an absolute path
// ending in a separator, so that the HTML's references hold wherever the
// HTML is opened. With `fresh`, what earlier renders wrote there is removed
// first; a folder holding anything else is refused. Without it, a note on
// `err` says that the folder is not empty.
std::string prepareTempFolder(const std::string& given, bool fresh, std::ostream& err);

// The names in `folder` now (the record itself left out).
std::set<std::string> folderEntries(const std::string& folder);

// Adds to the record the names that are in `folder` now but not in `before`.
void recordWrittenFiles(const std::string& folder, const std::set<std::string>& before);

}  // namespace torvane
