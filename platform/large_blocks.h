// Large blocks that a flow writes once from start to end: a message's text,
// its parsed lines, a piece of a file being decoded. One owner type for
// them, and a switch that makes them fail as on an exhausted heap. On Linux
// the torvane tool gives every block of a megabyte or more a mapping of its
// own, returned to the system when freed (large_allocations_linux.cpp).
//
// They stay on ordinary pages, but for memory prepared for writing whole
// (prepareForWriting). Huge pages for every large block were measured on
// every shape of the benchmark: a block of which a flow uses a little pays
// for a whole 2 MB page, and on a virtual machine that hands freed memory
// back to its host a fresh 2 MB page was cheap or costly depending on what
// the process before freed (inspect three times slower, or render twice).
// Memory written whole wastes none of a huge page, and its faults were the
// largest cost of the plain-text and HTML replies.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace platform {

struct LargeBlockRelease {
    void operator()(char* block) const;
};
using LargeBlock = std::unique_ptr<char, LargeBlockRelease>;

// `bytes` of uninitialised memory, never empty; throws std::bad_alloc.
LargeBlock allocateLargeBlock(std::size_t bytes);

// For memory about to be written whole, from `block` on for `size` bytes:
// asks the system for all its pages at once, huge pages (MADV_HUGEPAGE) for
// the 2 MB-aligned stretches inside it. On Linux one call
// (MADV_POPULATE_WRITE; kernels before 5.14 ignore it) costs less than a page
// fault for each page, which on a virtual machine is a twelfth of the time
// of a 25 MB plain-text reply. Nothing for less than a megabyte, nor on
// Windows. Pages given count as used: only for memory that will be written.
void prepareForWriting(char* block, std::size_t size);

// Gives `text` room for `capacity` bytes and prepares the pages of the
// first `toWrite` of them (prepareForWriting), which the caller then fills.
inline void reserveForWriting(std::string& text, std::size_t capacity, std::size_t toWrite) {
    text.reserve(capacity);
    prepareForWriting(text.data(), toWrite);
}

// For tests: while set, allocateLargeBlock throws std::bad_alloc as on an
// exhausted heap (a message too large for memory).
void setLargeBlocksFailForTesting(bool fail);

}  // namespace platform
