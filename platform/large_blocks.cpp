#include "platform/large_blocks.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace platform {

namespace {
std::atomic<bool> failForTesting{false};
}  // namespace

void LargeBlockRelease::operator()(char* block) const { std::free(block); }

LargeBlock allocateLargeBlock(std::size_t bytes) {
    if (failForTesting) throw std::bad_alloc();
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
    if (!block) throw std::bad_alloc();
    return LargeBlock(static_cast<char*>(block));
}

void setLargeBlocksFailForTesting(bool fail) { failForTesting = fail; }

}  // namespace platform
