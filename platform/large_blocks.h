// Large blocks that a flow writes once from start to end: a message's text,
// its parsed lines, a piece of a file being decoded. One owner type for
// them, and a switch that makes them fail as on an exhausted heap. On Linux
// the torvane tool gives every block of a megabyte or more a mapping of its
// own, returned to the system when freed (large_allocations_linux.cpp).
//
// They stay on ordinary pages. Huge pages were measured again on every shape
// of the benchmark: on a virtual machine that hands freed memory back to its
// host, a fresh 2 MB page is cheap or costs more than the work done in it
// depending on what the process before freed, so that of two programs run
// one after the other one always paid for it (inspect three times slower,
// or render twice); on small pages both together were faster.
#pragma once

#include <cstddef>
#include <memory>

namespace platform {

struct LargeBlockRelease {
    void operator()(char* block) const;
};
using LargeBlock = std::unique_ptr<char, LargeBlockRelease>;

// `bytes` of uninitialised memory, never empty; throws std::bad_alloc.
LargeBlock allocateLargeBlock(std::size_t bytes);

// For tests: while set, allocateLargeBlock throws std::bad_alloc as on an
// exhausted heap (a message too large for memory).
void setLargeBlocksFailForTesting(bool fail);

}  // namespace platform
