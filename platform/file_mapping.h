// The system's half of FileText: a private, writable mapping of a file.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// One mapping, released (munmap, UnmapViewOfFile) when it goes.
class SystemMapping {
public:
    SystemMapping() = default;
    explicit SystemMapping(void* address, std::size_t length = 0) : address_(address), length_(length) {}
    SystemMapping(SystemMapping&& other) noexcept { *this = static_cast<SystemMapping&&>(other); }
    SystemMapping& operator=(SystemMapping&& other) noexcept {
        if (this != &other) {
            release();
            address_ = other.address_;
            length_ = other.length_;
            other.address_ = nullptr;
        }
        return *this;
    }
    ~SystemMapping() { release(); }

private:
    void release();  // the system's call (file_mapping_posix.cpp, _win.cpp)
    void* address_ = nullptr;
    std::size_t length_ = 0;  // what munmap needs; Windows does not
};

struct MappedRange {
    SystemMapping mapping;
    char* begin = nullptr;  // the byte at `offset`
    std::size_t size = 0;   // to the file's end, where a NUL follows
};

// Maps the file from `offset` to its end. False where no NUL would follow
// the end inside its last page (a size that is a whole number of pages),
// where the offset is not before the end, where the file is not a regular
// one, or where it cannot be opened or mapped: the caller then reads it,
// and reading tells why it cannot.
bool mapWithNulAfter(const std::string& path, std::size_t offset, MappedRange& range);

}  // namespace platform
