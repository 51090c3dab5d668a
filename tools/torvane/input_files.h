// Reading the tool's input files and writing its output without ever
// leaving a partial file behind.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/file_text.h"

namespace torvane {

// The whole file; throws UsageError "cannot read 'x': <reason>" when it is
// missing, a directory or unreadable.
std::string readInputFile(const std::string& path);

// Throws UsageError unless `content` looks like an RFC 5322 message: not
// empty, not an Outlook .msg file, no NUL bytes, and a header field on its
// first line (white space before the colon allowed, as the obsolete syntax
// does).
void requireMessage(const std::string& path, std::string_view content);

// A message as the tool holds it, always followed by a NUL: a stretch of its
// file's text where it ends the file (the file mapped, not copied), else a
// text of its own.
class MessageText {
public:
    MessageText() = default;
    explicit MessageText(std::string text) : own_(std::move(text)) {}
    MessageText(platform::FileText file, std::size_t begin) : file_(std::move(file)), begin_(begin) {}

    std::string_view view() const {
        return file_ ? file_->view().substr(begin_) : std::string_view(own_.c_str(), own_.size());
    }
    const char* c_str() const { return view().data(); }
    std::size_t size() const { return view().size(); }
    // Whether the message is its file's last bytes (one message, or the
    // last of a mailbox file).
    bool endsTheFile() const { return file_.has_value(); }
    // The text as a string of its own, leaving this empty: moved out where
    // it was read, copied out of a mapping.
    std::string release();
    // The mapping of the file the text lies in, leaving this empty, and in
    // `begin` where in it the text begins; none (this unchanged) where the
    // text was read or copied.
    std::optional<platform::FileText> releaseMapping(std::size_t& begin);

private:
    std::optional<platform::FileText> file_;
    std::size_t begin_ = 0;
    std::string own_;
};

// The message in a file as the tool loads one: a leading mbox envelope line
// ("From alex@example.com Tue Dec  1 09:14:02 2026"), which mail saved from
// a mailbox file begins with, is dropped; then requireMessage applies. The
// plug-in never sees such a line: the host hands it messages, not files.
// A mailbox file of several messages (each after a blank line and an
// envelope line) is refused unless `index` (from 1) chooses one; 0 is none.
// Throws UsageError as readInputFile does. `mayMap` false: the file is read
// (a program that runs on while the file may be edited, where a mapped file
// cut shorter would end it).
MessageText readMessageFile(const std::string& path, std::size_t index = 0, bool mayMap = true);

// The value of --index: a message number from 1 ("0" when not given is 0).
std::size_t messageIndex(const std::string& text);

// Writes to a temporary file beside `path` and moves it into place,
// replacing the file there in one step.
void writeOutputFile(const std::string& path, const std::string& content);

}  // namespace torvane
