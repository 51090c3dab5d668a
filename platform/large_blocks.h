// Large blocks that a flow writes once from start to end: a message's text,
// its parsed lines, the source block the host hands out. Each first touch
// of a fresh page costs a trap into the kernel; for blocks of megabytes
// those traps, not the copying, are most of the time. Where the system can
// back such a block with huge pages (Linux), it is asked to.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>

namespace platform {

struct LargeBlockRelease {
    void operator()(char* block) const;
};
using LargeBlock = std::unique_ptr<char, LargeBlockRelease>;

// `bytes` of uninitialised memory, never empty; throws std::bad_alloc. On
// Linux a block of 2 MB or more starts on a huge-page boundary and is
// advised as below.
LargeBlock allocateLargeBlock(std::size_t bytes);

// As allocateLargeBlock, never on huge pages: for a block that may stay
// mostly unused, where one huge page would bring in 2 MB at its first byte.
LargeBlock allocateSmallPagedBlock(std::size_t bytes);

// A standard allocator on small pages, for a container reserved at a bound
// it may stay well below: the pages it never touches cost nothing, where a
// huge page (operator new in the Linux tool) would bring in 2 MB at once.
template <class T>
struct SmallPagedAllocator {
    using value_type = T;
    SmallPagedAllocator() = default;
    template <class U>
    SmallPagedAllocator(const SmallPagedAllocator<U>&) noexcept {}
    T* allocate(std::size_t count) {
        if (count > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
        void* block = std::malloc(count == 0 ? 1 : count * sizeof(T));
        if (!block) throw std::bad_alloc();
        return static_cast<T*>(block);
    }
    void deallocate(T* block, std::size_t) noexcept { std::free(block); }
    template <class U>
    bool operator==(const SmallPagedAllocator<U>&) const noexcept { return true; }
    template <class U>
    bool operator!=(const SmallPagedAllocator<U>&) const noexcept { return false; }
};

// The same block without the test switch below: null when memory is
// exhausted. Released with std::free.
void* tryAllocateLargeBlock(std::size_t bytes) noexcept;

// For a block allocated elsewhere. Advice only: the block works the same
// whether it is taken or not. Only the whole 2 MB stretches inside the
// block are affected.
void adviseLargeBlock(void* block, std::size_t bytes);

// Whether large blocks go on huge pages from now on (the default). Off for a
// process that fills one block once and reads it once more (torvane
// inspect): there a fresh 2 MB page, which on a virtual machine that hands
// freed memory back to its host can cost milliseconds, does not pay for
// itself. No effect where huge pages are not used.
void setHugePagesForLargeBlocks(bool use);

// For tests: while set, allocateLargeBlock and allocateSmallPagedBlock
// throw std::bad_alloc as on an exhausted heap (a message too large for
// memory).
void setLargeBlocksFailForTesting(bool fail);

}  // namespace platform
