#include "platform/large_blocks.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace platform {

namespace {
std::atomic<bool> failForTesting{false};
}  // namespace

// Large pages need a privilege that a mail client's user does not have:
// plain heap blocks.
void LargeBlockRelease::operator()(char* block) const { std::free(block); }

void* tryAllocateLargeBlock(std::size_t bytes) noexcept { return std::malloc(bytes == 0 ? 1 : bytes); }

LargeBlock allocateLargeBlock(std::size_t bytes) {
    if (failForTesting) throw std::bad_alloc();
    void* block = tryAllocateLargeBlock(bytes);
    if (!block) throw std::bad_alloc();
    return LargeBlock(static_cast<char*>(block));
}

LargeBlock allocateSmallPagedBlock(std::size_t bytes) { return allocateLargeBlock(bytes); }

void adviseLargeBlock(void*, std::size_t) {}

void setHugePagesForLargeBlocks(bool) {}

void setLargeBlocksFailForTesting(bool fail) { failForTesting = fail; }

}  // namespace platform
