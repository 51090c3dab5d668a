// The one owner of blocks from the host's allocator: a block the host hands
// out (BKA_GetSource, BKA_CompGetSource) or one the plug-in asks for
// (BKA_Alloc) is held by a HostBlock from the moment it arrives, and goes back
// with BKA_Free on every path:
//     const HostBlock source(hostApi().BKA_GetSource(mailId));
// A HostBlock may be empty: the host had no block to give.
#pragma once

#include <cstddef>
#include <memory>
#include <new>

#include "platform/host_api.h"

struct HostBlockRelease {
    void operator()(char* block) const { hostApi().BKA_Free(block); }
};
using HostBlock = std::unique_ptr<char, HostBlockRelease>;

// A block of `size` bytes holding an empty text; empty when the host has no
// memory left, for callers that carry on without the block.
inline HostBlock allocateHostBlock(std::size_t size) {
    HostBlock block(static_cast<char*>(hostApi().BKA_Alloc(static_cast<int>(size))));
    if (block) block.get()[0] = '\0';
    return block;
}

// The same, never empty: throws std::bad_alloc when the host has no memory left.
inline HostBlock allocateHostBlockOrThrow(std::size_t size) {
    HostBlock block = allocateHostBlock(size);
    if (!block) throw std::bad_alloc();
    return block;
}
