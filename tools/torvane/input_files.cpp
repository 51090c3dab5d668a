#include "tools/torvane/input_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

#include "platform/files.h"
#include "platform/find_byte.h"
#include "tools/torvane/cli_errors.h"

namespace torvane {
namespace {

// stat with the tool's UTF-8 paths (the wide function on Windows).
#if defined(_WIN32)
using FileStatus = struct _stat64;
int statusOf(const std::string& path, FileStatus& info) { return _wstat64(platform::widePath(path).c_str(), &info); }
#else
using FileStatus = struct stat;
int statusOf(const std::string& path, FileStatus& info) { return stat(path.c_str(), &info); }
#endif

}  // namespace

std::string readInputFile(const std::string& path) {
    const auto fail = [&](const char* reason) {
        return UsageError("cannot read '" + path + "': " + reason);
    };
    FileStatus info {};
    if (statusOf(path, info) != 0) throw fail(std::strerror(errno));
    if (S_ISDIR(info.st_mode)) throw fail(std::strerror(EISDIR));
    std::FILE* file = platform::openFile(path, "rb");
    if (!file) throw fail(std::strerror(errno ? errno : EACCES));
    // Read straight into the text that is kept (the host's copy of a message):
    // a large message is not copied on the way.
    std::string content;
    content.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[1 << 16];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) content.append(chunk, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) throw fail("read error");
    return content;
}

namespace {

// The length of the envelope line "From " and whatever follows it with its
// line end, which mail saved from a mailbox file starts with (a header field
// name holds no space), unless that is the obsolete form of a From field
// ("From  : John"); 0 where there is none.
std::size_t envelopeLineLength(std::string_view content) {
    if (content.substr(0, 5) != "From ") return 0;
    const std::size_t afterName = content.find_first_not_of(" \t", 4);
    if (afterName != std::string_view::npos && content[afterName] == ':') return 0;
    std::size_t next = content.find_first_of("\r\n");
    if (next == std::string_view::npos) return content.size();
    return next + (content.substr(next, 2) == "\r\n" ? 2 : 1);
}

// A field name of printable characters other than the colon, then the colon,
// which the obsolete syntax lets white space precede ("From  : John").
bool beginsWithHeaderField(std::string_view content) {
    std::size_t i = 0;
    while (i < content.size()) {
        const auto c = static_cast<unsigned char>(content[i]);
        if (c <= 32 || c >= 127 || c == ':') break;
        ++i;
    }
    if (i == 0) return false;
    while (i < content.size() && (content[i] == ' ' || content[i] == '\t')) ++i;
    return i < content.size() && content[i] == ':';
}

// Where each message of a mailbox file after the first begins: at an
// envelope line that follows a blank line.
std::vector<std::size_t> laterMessageStarts(std::string_view content) {
    std::vector<std::size_t> starts;
    for (std::size_t at = content.find("\nFrom "); at != std::string_view::npos; at = content.find("\nFrom ", at + 1)) {
        const bool afterBlank = (at >= 1 && content[at - 1] == '\n') || (at >= 2 && content.substr(at - 2, 2) == "\n\r");
        if (afterBlank) starts.push_back(at + 1);
    }
    return starts;
}

bool isCompoundFile(std::string_view content) { return content.substr(0, 4) == "\xD0\xCF\x11\xE0"; }

platform::FileText openMessageFile(const std::string& path, bool mayMap) {
    FileStatus info {};
    if (statusOf(path, info) != 0) throw UsageError("cannot read '" + path + "': " + std::strerror(errno));
    if (S_ISDIR(info.st_mode)) throw UsageError("cannot read '" + path + "': " + std::strerror(EISDIR));
    errno = 0;
    std::optional<platform::FileText> text = platform::FileText::open(path, 0, mayMap);
    if (!text) throw UsageError("cannot read '" + path + "': " + (errno ? std::strerror(errno) : "read error"));
    return std::move(*text);
}

}  // namespace

void requireMessage(const std::string& path, std::string_view content) {
    if (content.empty()) throw UsageError("'" + path + "' is empty");
    if (isCompoundFile(content)) {
        throw UsageError("'" + path + "' is an Outlook message file, not an RFC 5322 message");
    }
    if (platform::findByte(content.data(), content.size(), '\0')) {
        throw UsageError("'" + path + "' is not a message: it holds binary data");
    }
    if (!beginsWithHeaderField(content)) {
        throw UsageError("'" + path + "' is not a message: it does not begin with a header field");
    }
}

std::string MessageText::release() {
    std::string text;
    if (!file_) {
        text.swap(own_);
    } else if (file_->mapped()) {
        text = std::string(view());
    } else {
        // The bytes read become the text, its envelope line cut off in place:
        // a message of hundreds of MB is not held twice.
        text = file_->release();
        text.erase(0, begin_);
    }
    file_.reset();
    return text;
}

std::optional<platform::FileText> MessageText::releaseMapping(std::size_t& begin) {
    if (!file_ || !file_->mapped()) return std::nullopt;
    begin = begin_;
    std::optional<platform::FileText> mapping = std::move(file_);
    file_.reset();
    return mapping;
}

MessageText readMessageFile(const std::string& path, std::size_t index, bool mayMap) {
    platform::FileText file = openMessageFile(path, mayMap);
    const std::string_view content = file.view();
    std::size_t begin = 0;
    std::size_t end = content.size();
    if (content.substr(0, 5) == "From ") {
        const std::vector<std::size_t> later = laterMessageStarts(content);
        const std::size_t count = later.size() + 1;
        if (count > 1 && index == 0) {
            throw UsageError("'" + path + "' is a mailbox file of " + std::to_string(count) +
                             " messages: choose one with --index N (1 to " + std::to_string(count) + ")");
        }
        if (index > count) {
            throw UsageError("'" + path + "' holds " + std::to_string(count) + " message" + (count > 1 ? "s" : "") +
                             ", not " + std::to_string(index));
        }
        if (count > 1) {
            begin = index == 1 ? 0 : later[index - 2];
            end = index == count ? content.size() : later[index - 1];
        }
    } else if (index > 1) {
        throw UsageError("'" + path + "' holds 1 message, not " + std::to_string(index));
    }
    begin += envelopeLineLength(content.substr(begin, end - begin));
    // A message that ends the file is followed by the text's NUL; another
    // gets one in a copy of its own.
    MessageText message = end == content.size() ? MessageText(std::move(file), begin)
                                                : MessageText(std::string(content.substr(begin, end - begin)));
    requireMessage(path, message.view());
    return message;
}

std::size_t messageIndex(const std::string& text) {
    if (text == "0") return 0;
    char* end = nullptr;
    const unsigned long index = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || index == 0 || !std::isdigit(static_cast<unsigned char>(text[0]))) {
        throw UsageError("--index takes a message number from 1, not '" + text + "'");
    }
    return index;
}

void writeOutputFile(const std::string& path, const std::string& content) {
    const std::string partial = path + ".partial";
    {
        std::FILE* out = platform::openFile(partial, "wb");
        if (!out) throw UsageError("cannot write '" + path + "': " + std::strerror(errno));
        bool written = true;
        for (std::size_t at = 0; written && at < content.size(); at += platform::kMostWrittenAtOnce) {
            const std::size_t length = std::min(content.size() - at, platform::kMostWrittenAtOnce);
            written = std::fwrite(content.data() + at, 1, length, out) == length;
        }
        if (std::fclose(out) != 0 || !written) {
            platform::removeFile(partial);
            throw UsageError("cannot write '" + path + "': write error");
        }
    }
    // Replaces an earlier rendering in one step, so that a browser showing
    // it reloads the old page or the new one.
    const std::string failure = platform::replaceFile(partial, path);
    if (!failure.empty()) {
        platform::removeFile(partial);
        throw UsageError("cannot write '" + path + "': " + failure);
    }
}

}  // namespace torvane
