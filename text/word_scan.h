// Scanning text eight bytes at a time for the few bytes that need work (line
// feeds, angle brackets, escapes), as large bodies are. A scan marks bytes
// by the top bit of each byte of a 64-bit word read from the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
#elif defined(__i386__)
    // In halves: a 64-bit count is a call into libgcc on i686.
    const auto low = static_cast<std::uint32_t>(bits);
    return low ? static_cast<std::size_t>(__builtin_ctz(low)) / 8
               : 4 + static_cast<std::size_t>(__builtin_ctz(static_cast<std::uint32_t>(bits >> 32))) / 8;
#else
    return static_cast<std::size_t>(__builtin_ctzll(bits)) / 8;
#endif
}

// Copies text from `in` to `out` up to the first byte that `marks` marks in
// a word of it, or, in the last bytes (fewer than a word), that `isStop`
// takes; leaves both at that byte, or `in` at `end`. Each word is stored
// whole: `out` needs a word of room past what it copies, or lies at or
// before `in` in the same memory.
template <typename Marks, typename IsStop>
inline void copyUntilStop(const char*& in, const char* end, char*& out, Marks marks, IsStop isStop) {
    for (; static_cast<std::size_t>(end - in) >= kWord; in += kWord, out += kWord) {
        const std::uint64_t word = wordAt(in);
        std::memcpy(out, &word, kWord);
        if (const std::uint64_t marked = marks(word)) {
            const std::size_t plain = firstMarked(marked);
            in += plain;
            out += plain;
            return;
        }
    }
    while (in < end && !isStop(*in)) *out++ = *in++;
}

// copyUntilStop, sixteen bytes at a time where the processor has SSE2
// (every x86-64): `blockMarks` takes the sixteen bytes from `in` on and
// gives one bit for each byte that is a stop (bit 0 the first), as `marks`
// would mark them. Each block is stored whole: `out` needs sixteen bytes of
// room past what it copies, or lies at or before `in` in the same memory.
constexpr std::size_t kBlock = 16;
template <typename BlockMarks, typename Marks, typename IsStop>
inline void copyBlocksUntilStop(const char*& in, const char* end, char*& out, BlockMarks blockMarks, Marks marks,
                                IsStop isStop) {
#if defined(__SSE2__)
    for (; static_cast<std::size_t>(end - in) >= kBlock; in += kBlock, out += kBlock) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), block);
        if (const unsigned marked = blockMarks(block)) {
            const auto plain = static_cast<std::size_t>(__builtin_ctz(marked));
            in += plain;
            out += plain;
            return;
        }
    }
#else
    (void)blockMarks;
#endif
    copyUntilStop(in, end, out, marks, isStop);
}

#if defined(__SSE2__)
using Block = __m128i;
// One bit for each byte of `block` that is `c` (bit 0 the first byte).
inline unsigned blockBytesEqualTo(Block block, char c) {
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8(c))));
}
// One bit for each byte of `block` with its top bit set.
inline unsigned blockTopBits(Block block) { return static_cast<unsigned>(_mm_movemask_epi8(block)); }
#else
// Without SSE2 copyBlocksUntilStop goes by words and calls no block marks:
// these only let the callers' marks compile.
struct Block {};
unsigned blockBytesEqualTo(Block block, char c);
unsigned blockTopBits(Block block);
#endif

}  // namespace wordscan
