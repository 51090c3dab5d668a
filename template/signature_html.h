// Signatures as HTML, and the token that stands for the current random
// signature in a rendered text until the last step puts the signature in.
#pragma once

#include <string>

class ComposeSession;

constexpr const char* kSignatureToken = "%RANDOM-SIGN";

// The session's current signature as HTML (as stored when it is HTML).
std::string signatureHtml(const ComposeSession& session);

// Replaces every "%RANDOM-SIGN" not preceded by "%" by `signatureHtml`,
// literally, left to right.
void replaceSignatureTokens(std::string& text, const std::string& signatureHtml);
// The same, appending the result to `output` (whose capacity may be reused).
void appendWithSignatureTokensReplaced(std::string& output, const std::string& text,
                                       const std::string& signatureHtml);
