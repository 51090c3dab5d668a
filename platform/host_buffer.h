// A fixed-size text buffer in a block from the host (a HostBlock that is
// never empty: constructing one throws std::bad_alloc when the host has no
// memory left). Used for the buffers that host calls write into and for the
// plug-in's own host-sized scratch space.
#pragma once

#include <cstring>
#include <string>

#include "platform/host_block.h"

class HostBuffer {
public:
    explicit HostBuffer(int size) : block_(allocateHostBlockOrThrow(static_cast<std::size_t>(size))), size_(size) {}

    char* data() { return block_.get(); }
    int size() const { return size_; }

    // An empty text, so that a host call that writes nothing leaves nothing.
    void clear() { block_.get()[0] = '\0'; }

    // The text up to the first NUL; a host that filled the block to its last
    // byte without a terminator is cut there rather than read past the end.
    std::string text() const {
        const char* data = block_.get();
        const void* end = std::memchr(data, '\0', static_cast<std::size_t>(size_));
        const std::size_t length = end ? static_cast<std::size_t>(static_cast<const char*>(end) - data)
                                       : static_cast<std::size_t>(size_);
        return std::string(data, length);
    }

private:
    HostBlock block_;
    int size_ = 0;
};
