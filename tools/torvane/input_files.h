// Reading the tool's input files and writing its output without ever
// leaving a partial file behind.
#pragma once

#include <string>

namespace torvane {

// The whole file; throws UsageError "cannot read 'x': <reason>" when it is
// missing, a directory or unreadable.
std::string readInputFile(const std::string& path);

// Throws UsageError unless `content` looks like an RFC 5322 message: not
// empty, not an Outlook .msg file, no NUL bytes, and a header field on its
// first line (white space before the colon allowed, as the obsolete syntax
// does).
void requireMessage(const std::string& path, const std::string& content);

// The message in a file as the tool loads one: a leading mbox envelope line
// ("From alex@example.com Tue Dec  1 09:14:02 2026"), which mail saved from
// a mailbox file begins with, is dropped; then requireMessage applies. The
// plug-in never sees such a line: the host hands it messages, not files.
// A mailbox file of several messages (each after a blank line and an
// envelope line) is refused unless `index` (from 1) chooses one; 0 is none.
// `endsTheFile`, when given, tells whether the message is the file's last
// bytes (one message, or the last of a mailbox file).
std::string readMessageFile(const std::string& path, std::size_t index = 0, bool* endsTheFile = nullptr);

// The value of --index: a message number from 1 ("0" when not given is 0).
std::size_t messageIndex(const std::string& text);

// Writes to a temporary file beside `path` and moves it into place,
// replacing the file there in one step.
void writeOutputFile(const std::string& path, const std::string& content);

}  // namespace torvane
