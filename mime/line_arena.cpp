#include "mime/line_arena.h"

#include <algorithm>

void LineArena::newBlock(std::size_t atLeast) {
    // Blocks grow geometrically so that a large message needs few of them; a
    // line longer than the next block gets one of its own.
    const std::size_t size = std::max(atLeast, nextBlockSize_);
    blocks_.push_back(platform::allocateLargeBlock(size));
    next_ = blocks_.back().get();
    left_ = size;
    reserved_ += size;
    nextBlockSize_ = std::min(nextBlockSize_ * 2, kLargestBlock);
}
