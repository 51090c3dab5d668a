// A fixed-size scratch block from the host's allocator (BKA_Alloc), handed
// back with BKA_Free when it goes out of scope. Used for the buffers that
// host calls write into and for the plug-in's own host-sized scratch space.
#pragma once

#include <cstring>
#include <new>
#include <string>

#include "platform/host_api.h"

class HostBuffer {
public:
    explicit HostBuffer(int size) : size_(size) {
        data_ = static_cast<char*>(hostApi().BKA_Alloc(size));
        if (!data_) throw std::bad_alloc();
        data_[0] = '\0';
    }
    ~HostBuffer() { hostApi().BKA_Free(data_); }
    HostBuffer(const HostBuffer&) = delete;
    HostBuffer& operator=(const HostBuffer&) = delete;

    char* data() { return data_; }
    int size() const { return size_; }

    // An empty text, so that a host call that writes nothing leaves nothing.
    void clear() { data_[0] = '\0'; }

    // The text up to the first NUL; a host that filled the block to its last
    // byte without a terminator is cut there rather than read past the end.
    std::string text() const {
        const void* end = std::memchr(data_, '\0', static_cast<std::size_t>(size_));
        const std::size_t length = end ? static_cast<std::size_t>(static_cast<const char*>(end) - data_)
                                       : static_cast<std::size_t>(size_);
        return std::string(data_, length);
    }

private:
    char* data_ = nullptr;
    int size_ = 0;
};
