// Plays the host's side for a message read from an RFC 5322 file: what the
// mail client would hand the plug-in for it (source, headers, body, charset).
#pragma once

#include <string>
#include <string_view>

#include "tools/hostsim/sim_host.h"

namespace hostsim {

// Headers come unfolded, in order, with encoded words resolved into
// `localCodePage`. The body is the first text/html part, else the first
// text/plain part (attachments aside), transfer-decoded and converted from
// its charset into `localCodePage`; without either it is empty "text/plain".
// The charset is that part's charset parameter, else the top-level one.
// The source becomes the message's rawSource without being copied.
SimMessage loadMessage(std::string rawSource, const std::string& localCodePage);
// The same from a source the caller keeps until it returns, without
// rawSource (for a host that serves it from its file).
SimMessage loadMessageWithoutSource(std::string_view source, const std::string& localCodePage);

// Has the host read the source from `file`, whose last `messageSize` bytes
// are the message, whenever it is asked for it, rather than hold it beside
// the plug-in's copy, as a mail client reads its store. False, and the
// message unchanged, when the file is shorter or cannot be opened.
bool serveSourceFromFile(SimMessage& message, const std::string& file, std::size_t messageSize);

// The Subject a reply ("Re: ") or forward ("Fw: ") compose window starts with.
std::string composeSubject(const std::string& subject, bool forward);

}  // namespace hostsim
