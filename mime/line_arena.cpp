#include "mime/line_arena.h"

#include <algorithm>

#include "platform/large_blocks.h"

void LineArena::newBlock(std::size_t atLeast) {
    // Blocks grow geometrically so that a large message needs few of them; a
    // line longer than the next block gets one of its own.
    const std::size_t size = std::max(atLeast, nextBlockSize_);
    blocks_.emplace_back(new char[size]);
    next_ = blocks_.back().get();
    platform::adviseLargeBlock(next_, size);
    left_ = size;
    reserved_ += size;
    nextBlockSize_ = std::min(nextBlockSize_ * 2, kLargestBlock);
}
