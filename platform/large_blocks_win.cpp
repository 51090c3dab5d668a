#include "platform/large_blocks.h"

#include <cstdlib>
#include <new>

namespace platform {

// Large pages need a privilege that a mail client's user does not have:
// plain heap blocks.
void LargeBlockRelease::operator()(char* block) const { std::free(block); }

LargeBlock allocateLargeBlock(std::size_t bytes) {
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
    if (!block) throw std::bad_alloc();
    return LargeBlock(static_cast<char*>(block));
}

void adviseLargeBlock(void*, std::size_t) {}

}  // namespace platform
