// The MIME tree of a message as `inspect` shows it: shared by `inspect` and
// `serve`.
#pragma once

#include <iosfwd>
#include <string>

namespace torvane {

// Every part in pre-order as the plug-in parses `rawMessage`, with the name
// an attachment would be saved under; `json` as `inspect --json` prints it.
// Resets the simulated host; the message is parsed, never decoded.
void writeMimeTree(const std::string& rawMessage, bool json, std::ostream& out);

}  // namespace torvane
