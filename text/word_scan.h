// Scanning text eight bytes at a time for the few bytes that need work (line
// feeds, angle brackets, escapes), as large bodies are. A scan marks bytes
// by the top bit of each byte of a 64-bit word read from the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace wordscan {

constexpr std::size_t kWord = 8;
constexpr std::uint64_t kEveryByte = 0x0101010101010101ull;
constexpr std::uint64_t kTopBits = kEveryByte * 0x80;

// The eight bytes from `text` on, in memory order.
inline std::uint64_t wordAt(const char* text) {
    std::uint64_t word;
    std::memcpy(&word, text, kWord);
    return word;
}

// The top bit of each byte of `x` that is zero, and of no other.
inline std::uint64_t zeroBytes(std::uint64_t x) {
    const std::uint64_t low = kEveryByte * 0x7F;
    return ~(((x & low) + low) | x | low);
}

// The top bit of each byte of `word` that is `c`, and of no other.
inline std::uint64_t bytesEqualTo(std::uint64_t word, unsigned char c) { return zeroBytes(word ^ (kEveryByte * c)); }

// The top bit of the first byte of `word` that is `c`, and perhaps of bytes
// after it that are not: cheaper than bytesEqualTo where only the first
// counts (firstMarked).
inline std::uint64_t firstByteEqualTo(std::uint64_t word, unsigned char c) {
    const std::uint64_t x = word ^ (kEveryByte * c);
    return (x - kEveryByte) & ~x & kTopBits;
}

// How many bytes are marked in `bits`.
inline std::size_t countMarked(std::uint64_t bits) {
    return static_cast<std::size_t>(((bits >> 7) * kEveryByte) >> 56);
}

// The first byte in memory marked in `bits`, which must mark one.
inline std::size_t firstMarked(std::uint64_t bits) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return static_cast<std::size_t>(__builtin_clzll(bits)) / 8;
#else
    return static_cast<std::size_t>(__builtin_ctzll(bits)) / 8;
#endif
}

}  // namespace wordscan
