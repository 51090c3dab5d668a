#include "mime/line_arena.h"

#include <algorithm>

void LineArena::newBlock(std::size_t atLeast) {
    // Blocks grow geometrically so that a large message needs few of them; a
    // line longer than the next block gets one of its own.
    const std::size_t size = std::max(atLeast, nextBlockSize_);
    // Only blocks of the largest size, which a large message fills, go on
    // huge pages: a tree of a few megabytes would leave most of one unused.
    blocks_.push_back(size >= kLargestBlock ? platform::allocateLargeBlock(size)
                                            : platform::allocateSmallPagedBlock(size));
    next_ = blocks_.back().get();
    left_ = size;
    reserved_ += size;
    nextBlockSize_ = std::min(nextBlockSize_ * 2, kLargestBlock);
}
