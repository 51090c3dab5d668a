// Bump allocator for the stored lines of one MIME tree. A parsed message is
// read once, kept while a compose flow runs and dropped as a whole, so its
// lines never need to be freed one by one: this keeps parsing to one copy
// per line and releases a whole tree in a handful of frees.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/large_blocks.h"

class LineArena {
public:
    LineArena() = default;
    LineArena(const LineArena&) = delete;
    LineArena& operator=(const LineArena&) = delete;

    // `bytes` of uninitialised storage aligned for a pointer; valid until the
    // arena is destroyed. `bytes` need not be a multiple of the alignment.
    void* allocate(std::size_t bytes) {
        const std::size_t padding = (kAlignment - reinterpret_cast<std::uintptr_t>(next_) % kAlignment) % kAlignment;
        if (padding > left_ || bytes > left_ - padding) {
            newBlock(bytes);
        } else {
            next_ += padding;
            left_ -= padding;
        }
        void* result = next_;
        next_ += bytes;
        left_ -= bytes;
        return result;
    }

    // Grows the storage last handed out, which ends at `end`, by `bytes`:
    // the start of the new bytes, or null when something else was allocated
    // since or the block has no room left.
    char* extend(const char* end, std::size_t bytes) {
        if (end != next_ || bytes > left_) return nullptr;
        char* const grown = next_;
        next_ += bytes;
        left_ -= bytes;
        return grown;
    }

    // Bytes taken from the system so far.
    std::size_t reservedBytes() const { return reserved_; }

private:
    static constexpr std::size_t kAlignment = alignof(void*);
    static constexpr std::size_t kFirstBlock = 16 * 1024;
    static constexpr std::size_t kLargestBlock = 4 * 1024 * 1024;

    void newBlock(std::size_t atLeast);

    std::vector<platform::LargeBlock> blocks_;
    char* next_ = nullptr;
    std::size_t left_ = 0;
    std::size_t nextBlockSize_ = kFirstBlock;
    std::size_t reserved_ = 0;
};
