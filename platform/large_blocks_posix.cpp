#include "platform/large_blocks.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace platform {

namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
std::atomic<bool> failForTesting{false};
std::atomic<bool> hugePages{true};
}  // namespace

void LargeBlockRelease::operator()(char* block) const { std::free(block); }

// A block of 2 MB or more starts on a huge page, so that the kernel backs it
// with huge pages: measured on the benchmark's messages, a 25 MB message is
// parsed in a quarter of the time (the page faults of first touch are most
// of the cost).
void* tryAllocateLargeBlock(std::size_t bytes) noexcept {
    void* block = nullptr;
#if defined(__linux__)
    // Only the whole huge pages inside the block are advised: its tail stays
    // on small pages, so a block's last bytes do not bring in up to 2 MB
    // that nothing uses.
    if (hugePages && bytes >= kHugePage && posix_memalign(&block, kHugePage, bytes) == 0) adviseLargeBlock(block, bytes);
#endif
    return block ? block : std::malloc(bytes == 0 ? 1 : bytes);
}

LargeBlock allocateLargeBlock(std::size_t bytes) {
    if (failForTesting) throw std::bad_alloc();
    void* block = tryAllocateLargeBlock(bytes);
    if (!block) throw std::bad_alloc();
    return LargeBlock(static_cast<char*>(block));
}

LargeBlock allocateSmallPagedBlock(std::size_t bytes) {
    if (failForTesting) throw std::bad_alloc();
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
    if (!block) throw std::bad_alloc();
    return LargeBlock(static_cast<char*>(block));
}

void adviseLargeBlock(void* block, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (!hugePages) return;
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (start + kHugePage - 1) & ~std::uintptr_t{kHugePage - 1};
    const std::uintptr_t last = (start + bytes) & ~std::uintptr_t{kHugePage - 1};
    if (first < last) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)block;
    (void)bytes;
#endif
}

void setHugePagesForLargeBlocks(bool use) { hugePages = use; }

void setLargeBlocksFailForTesting(bool fail) { failForTesting = fail; }

}  // namespace platform
