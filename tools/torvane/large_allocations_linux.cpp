// Linked into the Linux tool only: every allocation of megabytes (the
// message's body, its HTML, the rendering) is made the way the message's
// own blocks are, on huge pages, and given back to the system when freed.
// On these machines the first touch of each fresh 4 KB page costs about as
// much as the work done in it; a 25 MB plain-text reply takes about half
// the time this way.
#include <malloc.h>

#include <cstdlib>
#include <new>

#include "platform/large_blocks.h"

namespace {

// Blocks of a megabyte or more get their own mapping, returned when freed.
// Without this glibc raises the threshold after the first large free, and
// the next large blocks come from the heap, which keeps freed memory: a
// 25 MB message then peaks a third higher.
constexpr int kOwnMappingBytes = 1 << 20;
[[maybe_unused]] const bool kThresholdSet = mallopt(M_MMAP_THRESHOLD, kOwnMappingBytes) == 1;

}  // namespace

void* operator new(std::size_t bytes) {
    for (;;) {
        if (void* block = platform::tryAllocateLargeBlock(bytes)) return block;
        const std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
