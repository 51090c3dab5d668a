#include "mime/line_arena.h"

#include <algorithm>

namespace {
constexpr std::size_t kAlignment = alignof(void*);

std::size_t alignUp(std::size_t bytes) { return (bytes + kAlignment - 1) & ~(kAlignment - 1); }
}  // namespace

void* LineArena::allocate(std::size_t bytes) {
    bytes = alignUp(bytes);
    if (bytes > left_) {
        // Blocks grow geometrically so that a large message needs few of
        // them; a line longer than the next block gets one of its own.
        const std::size_t size = std::max(bytes, nextBlockSize_);
        blocks_.emplace_back(new char[size]);
        next_ = blocks_.back().get();
        left_ = size;
        reserved_ += size;
        nextBlockSize_ = std::min(nextBlockSize_ * 2, kLargestBlock);
    }
    void* result = next_;
    next_ += bytes;
    left_ -= bytes;
    return result;
}
