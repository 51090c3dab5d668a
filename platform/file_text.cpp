#include "platform/file_text.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/file_mapping.h"
#include "platform/files.h"

namespace platform {

struct FileText::Mapping {
    SystemMapping system;
};

namespace {

bool gMappingOff = false;

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The bytes from `offset` to the end; none when the file cannot be opened
// or read. Read into one block of the file's size where the size is known:
// a text grown by doubling would need its old and new blocks at once, which
// a 32-bit process lacks the room for with a message of hundreds of MB.
std::optional<std::string> readFrom(const std::string& path, std::size_t offset) {
    const std::unique_ptr<std::FILE, FileClose> file(openFile(path, "rb"));
    if (!file) return std::nullopt;
    std::string text;
    std::size_t skip = offset;
    long size = -1;
    if (std::fseek(file.get(), 0, SEEK_END) == 0) size = std::ftell(file.get());
    if (size >= 0 && static_cast<unsigned long>(size) > offset &&
        std::fseek(file.get(), static_cast<long>(offset), SEEK_SET) == 0) {
        text.resize(static_cast<std::size_t>(size) - offset);
        text.resize(std::fread(text.data(), 1, text.size(), file.get()));
        skip = 0;
    } else {
        std::rewind(file.get());
    }
    // What a file of unknown size holds, or what was added since its size was read.
    char chunk[1 << 16];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;) {
        const std::size_t skipped = std::min(got, skip);
        skip -= skipped;
        text.append(chunk + skipped, got - skipped);
    }
    if (std::ferror(file.get())) return std::nullopt;
    return text;
}

}  // namespace

std::optional<FileText> FileText::open(const std::string& path, std::size_t offset, bool mayMap) {
    FileText text;
    MappedRange range;
    if (!gMappingOff && mayMap && mapWithNulAfter(path, offset, range)) {
        text.mapping_ = std::make_unique<Mapping>(Mapping{std::move(range.mapping)});
        text.begin_ = range.begin;
        text.size_ = range.size;
        return text;
    }
    std::optional<std::string> read = readFrom(path, offset);
    if (!read) return std::nullopt;
    text.read_ = std::move(*read);
    text.begin_ = text.read_.data();
    text.size_ = text.read_.size();
    return text;
}

FileText::FileText(FileText&& other) noexcept { *this = std::move(other); }

FileText& FileText::operator=(FileText&& other) noexcept {
    mapping_ = std::move(other.mapping_);
    read_ = std::move(other.read_);
    // A short text read lives inside the string object itself.
    begin_ = mapping_ ? other.begin_ : read_.data();
    size_ = other.size_;
    other.begin_ = other.read_.data();
    other.size_ = 0;
    return *this;
}

FileText::~FileText() = default;

std::string FileText::release() {
    std::string text = mapping_ ? std::string(view()) : std::move(read_);
    mapping_.reset();
    read_.clear();
    begin_ = read_.data();
    size_ = 0;
    return text;
}

void FileText::setMappingOffForTesting(bool off) { gMappingOff = off; }

}  // namespace platform
