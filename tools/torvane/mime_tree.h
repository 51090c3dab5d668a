// The MIME tree of a message as `inspect` shows it: shared by `inspect` and
// `serve`.
#pragma once

#include <iosfwd>

#include "tools/torvane/input_files.h"

namespace torvane {

// Every part in pre-order as the plug-in parses `rawMessage`, with the name
// an attachment would be saved under; `json` as `inspect --json` prints it.
// Resets the simulated host; the message is parsed, never decoded.
void writeMimeTree(const MessageText& rawMessage, bool json, std::ostream& out);

}  // namespace torvane
