#include "tools/torvane/input_files.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

#include "platform/files.h"
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

// Mail saved from a mailbox file starts with the envelope line "From " and
// whatever follows it (a header field name holds no space), unless that is
// the obsolete form of a From field ("From  : John").
// Edited in place: the message is not copied.
std::string withoutEnvelopeLine(std::string content) {
    if (content.compare(0, 5, "From ") != 0) return content;
    const std::size_t afterName = content.find_first_not_of(" \t", 4);
    if (afterName != std::string::npos && content[afterName] == ':') return content;
    std::size_t next = content.find_first_of("\r\n");
    if (next == std::string::npos) return std::string();
    next += content.compare(next, 2, "\r\n") == 0 ? 2 : 1;
    content.erase(0, next);
    return content;
}

// A field name of printable characters other than the colon, then the colon,
// which the obsolete syntax lets white space precede ("From  : John").
bool beginsWithHeaderField(const std::string& content) {
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
std::vector<std::size_t> laterMessageStarts(const std::string& content) {
    std::vector<std::size_t> starts;
    for (std::size_t at = content.find("\nFrom "); at != std::string::npos; at = content.find("\nFrom ", at + 1)) {
        const bool afterBlank = (at >= 1 && content[at - 1] == '\n') || (at >= 2 && content.compare(at - 2, 2, "\n\r") == 0);
        if (afterBlank) starts.push_back(at + 1);
    }
    return starts;
}

bool isCompoundFile(const std::string& content) { return content.compare(0, 4, "\xD0\xCF\x11\xE0") == 0; }

}  // namespace

void requireMessage(const std::string& path, const std::string& content) {
    if (content.empty()) throw UsageError("'" + path + "' is empty");
    if (isCompoundFile(content)) {
        throw UsageError("'" + path + "' is an Outlook message file, not an RFC 5322 message");
    }
    if (content.find('\0') != std::string::npos) {
        throw UsageError("'" + path + "' is not a message: it holds binary data");
    }
    if (!beginsWithHeaderField(content)) {
        throw UsageError("'" + path + "' is not a message: it does not begin with a header field");
    }
}

std::string readMessageFile(const std::string& path, std::size_t index, bool* endsTheFile) {
    std::string content = readInputFile(path);
    if (endsTheFile) *endsTheFile = true;
    if (content.compare(0, 5, "From ") == 0) {
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
            const std::size_t begin = index == 1 ? 0 : later[index - 2];
            const std::size_t end = index == count ? content.size() : later[index - 1];
            if (endsTheFile) *endsTheFile = end == content.size();
            content = content.substr(begin, end - begin);
        }
    } else if (index > 1) {
        throw UsageError("'" + path + "' holds 1 message, not " + std::to_string(index));
    }
    std::string message = withoutEnvelopeLine(std::move(content));
    requireMessage(path, message);
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
        const bool written = std::fwrite(content.data(), 1, content.size(), out) == content.size();
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
