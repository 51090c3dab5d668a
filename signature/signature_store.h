// The host's signature files of the current mailbox: "$$$" + seven more
// prefix characters ("html_" at the ninth marks HTML) + title + ".txt".
// Finding one by name or at random, and reading it into the compose session.
#pragma once

#include <string>

class ComposeSession;

// The mailbox's signature file, used when no other is found.
constexpr const char* kDefaultSignatureFile = "$$$00000Default.txt";

// The host's data folder followed directly by the current mailbox.
std::string signatureFolder();

// Named mode: the first "$$$" file whose name contains `wantedName` (any
// case). Random mode: one of the first 100 "$$$" files, drawn with rand().
// True and the file name (without folder) in `outputName`, or false with
// `outputName` unchanged. Either way the session's signatureIsHtml is set
// from `outputName`.
bool findSignatureFile(const std::string& folder, ComposeSession& session, const std::string& wantedName,
                       bool random, std::string& outputName);

// Replaces the session's signatureText by the file's lines, each followed by
// CR LF, plus one more CR LF when anything was read.
void loadSignature(ComposeSession& session, const std::string& path);

// A random signature of the mailbox, or the default file when there is none.
void loadRandomSignature(ComposeSession& session);
