// A rendering made safe to open in a browser: the reply quotes the sender's
// HTML as it came, scripts and remote pictures (tracking beacons) included.
#pragma once

#include <string>

namespace torvane {

// The policy: local files, data: pictures and inline styles; no scripts,
// nothing from the network.
extern const char* const kPreviewPolicy;
// The policy as the <meta> element that carries it.
extern const char* const kPreviewPolicyMeta;

// `html` with kPreviewPolicyMeta as the first element of its head: after a
// leading doctype, <html> and <head> tag, where there are such; otherwise
// at the start, where the browser opens the head for it.
std::string withPreviewPolicy(const std::string& html);

// A page whose bytes are all UTF-8 (the tool's texts are, whatever charset
// its META names, which ResetCharset sets to the reply's) declared as such:
// a byte-order mark, which browsers trust above any META, and the first
// META charset rewritten. Any other page is returned as it is.
std::string withUtf8Declared(const std::string& html);

}  // namespace torvane
