// A block from the host's allocator, handed back with BKA_Free. Unlike a
// fixed scratch buffer it may be empty: a part whose block could not be had
// simply has none.
#pragma once

#include <cstddef>
#include <memory>

#include "platform/host_api.h"

struct HostBlockRelease {
    void operator()(char* block) const { hostApi().BKA_Free(block); }
};
using HostBlock = std::unique_ptr<char, HostBlockRelease>;

// A block of `size` bytes holding an empty text, or none when the host has
// no memory left.
inline HostBlock allocateHostBlock(std::size_t size) {
    HostBlock block(static_cast<char*>(hostApi().BKA_Alloc(static_cast<int>(size))));
    if (block) block.get()[0] = '\0';
    return block;
}
