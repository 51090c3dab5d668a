// A file's bytes, from an offset to its end, as one text followed by a NUL,
// without copying the file where the system can map it: the tools read a
// message of tens of megabytes this way, which the system already holds in
// its file cache, instead of copying it into fresh memory (for the tool and
// for the host it plays, which then hands out the same mapping).
//
// The mapping is private and writable: a write changes this copy only,
// never the file. It is used where the file's end leaves room for the NUL
// in its last page (the system fills that room with zeros); otherwise, and
// where the file cannot be mapped (a pipe, an empty file), the bytes are
// read into memory of their own. On Linux a file cut shorter by another
// program while it is mapped ends the process (SIGBUS); Windows refuses to
// cut a mapped file.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class FileText {
public:
    // The file at `path` (in the path encoding) from byte `offset` on; none
    // when it cannot be opened or read (errno tells why). An offset past
    // the end gives an empty text. `mayMap` false: always read (a program
    // that runs on while others edit the file).
    static std::optional<FileText> open(const std::string& path, std::size_t offset = 0, bool mayMap = true);

    FileText(FileText&&) noexcept;
    FileText& operator=(FileText&&) noexcept;
    ~FileText();

    char* data() { return begin_; }  // followed by a NUL
    const char* data() const { return begin_; }
    std::size_t size() const { return size_; }
    std::string_view view() const { return std::string_view(begin_, size_); }
    // Whether the text is the system's mapping of the file.
    bool mapped() const { return mapping_ != nullptr; }
    // The text as a string of its own, leaving this one empty: the bytes
    // read are moved out, not copied; a mapping's are copied.
    std::string release();

    // For tests: while set, open() reads instead of mapping.
    static void setMappingOffForTesting(bool off);

private:
    struct Mapping;  // the system's mapping, released when it goes
    FileText() = default;

    std::unique_ptr<Mapping> mapping_;
    std::string read_;  // the bytes read, where the file is not mapped
    char* begin_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace platform
