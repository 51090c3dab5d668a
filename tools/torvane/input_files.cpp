#include "tools/torvane/input_files.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/large_blocks.h"
#include "tools/torvane/cli_errors.h"

namespace torvane {

std::string readInputFile(const std::string& path) {
    const auto fail = [&](const char* reason) {
        return UsageError("cannot read '" + path + "': " + reason);
    };
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) throw fail(std::strerror(errno));
    if (S_ISDIR(info.st_mode)) throw fail(std::strerror(EISDIR));
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) throw fail(std::strerror(errno ? errno : EACCES));
    // Read straight into the text that is kept (the host's copy of a message):
    // a large message is not copied on the way.
    std::string content;
    content.reserve(static_cast<std::size_t>(info.st_size));
    platform::adviseLargeBlock(content.data(), content.capacity());
    char chunk[1 << 16];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) content.append(chunk, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) throw fail("read error");
    return content;
}

void requireMessage(const std::string& path, const std::string& content) {
    if (content.empty()) throw UsageError("'" + path + "' is empty");
    if (content.find('\0') != std::string::npos) {
        throw UsageError("'" + path + "' is not a message: it holds binary data");
    }
    // The first line must be a header field: a name of printable characters
    // without spaces, then a colon.
    const std::size_t colon = content.find(':');
    const std::size_t lineEnd = content.find_first_of("\r\n");
    bool nameOk = colon != std::string::npos && colon > 0 && colon < lineEnd;
    for (std::size_t i = 0; nameOk && i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(content[i]);
        nameOk = c > 32 && c < 127;
    }
    if (!nameOk) throw UsageError("'" + path + "' is not a message: it does not begin with a header field");
}

void writeOutputFile(const std::string& path, const std::string& content) {
    const std::string partial = path + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        if (!out) throw UsageError("cannot write '" + path + "': " + std::strerror(errno));
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.close();
        if (!out) {
            std::remove(partial.c_str());
            throw UsageError("cannot write '" + path + "': write error");
        }
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        const int error = errno;
        std::remove(partial.c_str());
        throw UsageError("cannot write '" + path + "': " + std::strerror(error));
    }
}

}  // namespace torvane
