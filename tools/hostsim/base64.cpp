#include <array>
#include <cstdint>
#include <cstring>

#include "tools/hostsim/converters.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TORVANE_BASE64_BLOCKS 1
#endif

namespace hostsim {
namespace {

constexpr signed char kSkip = -1;
constexpr signed char kPadding = -2;

constexpr std::array<signed char, 256> sextets() {
    std::array<signed char, 256> table{};
    for (auto& value : table) value = kSkip;
    for (int i = 0; i < 26; ++i) {
        table['A' + i] = static_cast<signed char>(i);
        table['a' + i] = static_cast<signed char>(i + 26);
    }
    for (int i = 0; i < 10; ++i) table['0' + i] = static_cast<signed char>(i + 52);
    table['+'] = 62;
    table['/'] = 63;
    table['='] = kPadding;
    return table;
}

constexpr std::array<signed char, 256> kSextets = sextets();

// For four characters at once: each character's sextet already shifted to
// its place in the group of three bytes, and a bit above them for anything
// outside the alphabet, so that one OR of four lookups gives the group or
// says it is not one.
constexpr std::uint32_t kNotInGroup = 0x80000000u;

constexpr std::array<std::uint32_t, 256> shiftedSextets(int shift) {
    std::array<std::uint32_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        table[i] = kSextets[i] < 0 ? kNotInGroup : static_cast<std::uint32_t>(kSextets[i]) << shift;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kFirst = shiftedSextets(18), kSecond = shiftedSextets(12),
                                          kThird = shiftedSextets(6), kFourth = shiftedSextets(0);

#if TORVANE_BASE64_BLOCKS
// A block read whole whose first character outside the alphabet is at
// `first`: stores the bytes of the whole groups before it (over the groups
// they come from) and, where it starts a group and is to be skipped, skips
// it and what follows to be skipped. False where the blocks stop there: a
// group cut, or padding.
inline bool takeGroupsBefore(unsigned first, const char* bytes, const unsigned char* in, std::size_t size, char* out,
                             std::size_t& used, std::size_t& stored) {
    for (unsigned b = 0; b < first / 4 * 3; ++b) out[stored + b] = bytes[b];
    stored += first / 4 * 3;
    used += first / 4 * 4;
    if (first % 4 != 0) return false;
    while (used < size && kSextets[in[used]] == kSkip) ++used;
    return !(used < size && kSextets[in[used]] == kPadding);
}

// Sixteen characters at a time. A block of the alphabet gives twelve bytes;
// in a block with anything else the whole groups before it are decoded and,
// where it starts a group and is to be skipped (a line break), it is skipped
// and the blocks go on. Padding, or a group cut by a skipped character, is
// left to the caller, at the returned position. Characters are told apart
// by their two halves (two table lookups whose AND is zero only for the
// alphabet), and one more lookup by the high half adds what turns a
// character into its sextet. Bytes are stored only over characters already
// read, so `out` may be `in` itself. Adds the bytes written to `written`.
__attribute__((target("ssse3"))) std::size_t decodeBlocks(const unsigned char* in, std::size_t size, char* out,
                                                          std::size_t& written) {
    const __m128i lowHalves = _mm_setr_epi8(0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A,
                                            0x1B, 0x1B, 0x1B, 0x1A);
    const __m128i highHalves = _mm_setr_epi8(0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10,
                                             0x10, 0x10, 0x10, 0x10);
    // By the high half, and for "/" the entry before that of "+" and digits.
    const __m128i offsets = _mm_setr_epi8(0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0);
    const __m128i halfMask = _mm_set1_epi8(0x0F);
    const __m128i slash = _mm_set1_epi8('/');
    const __m128i pairs = _mm_set1_epi32(0x01400140);
    const __m128i quads = _mm_set1_epi32(0x00011000);
    const __m128i bytesInOrder = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    std::size_t used = 0;
    std::size_t stored = written;
    while (used + 16 <= size) {
        const __m128i text = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + used));
        const __m128i high = _mm_and_si128(_mm_srli_epi32(text, 4), halfMask);
        const __m128i outside = _mm_and_si128(_mm_shuffle_epi8(lowHalves, _mm_and_si128(text, halfMask)),
                                              _mm_shuffle_epi8(highHalves, high));
        const unsigned inAlphabet =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(outside, _mm_setzero_si128())));
        const __m128i sextets =
            _mm_add_epi8(text, _mm_shuffle_epi8(offsets, _mm_add_epi8(_mm_cmpeq_epi8(text, slash), high)));
        // Sextet pairs into twelve bits, pairs of those into 24, then the
        // three bytes of each group in order.
        const __m128i groups = _mm_madd_epi16(_mm_maddubs_epi16(sextets, pairs), quads);
        alignas(16) char bytes[16];
        _mm_store_si128(reinterpret_cast<__m128i*>(bytes), _mm_shuffle_epi8(groups, bytesInOrder));
        if (inAlphabet == 0xFFFF) {
            std::memcpy(out + stored, bytes, 12);
            stored += 12;
            used += 16;
            continue;
        }
        if (!takeGroupsBefore(static_cast<unsigned>(__builtin_ctz(~inAlphabet)), bytes, in, size, out, used, stored)) {
            break;
        }
    }
    written = stored;
    return used;
}

// The same, thirty-two characters at a time, where the processor has AVX2:
// each half of the register is done as above (the shuffles work within
// halves), and the two halves' twelve bytes are then put side by side. A
// line of 76 characters takes three blocks instead of five.
__attribute__((target("avx2"))) std::size_t decodeWideBlocks(const unsigned char* in, std::size_t size, char* out,
                                                              std::size_t& written) {
    const __m256i lowHalves = _mm256_broadcastsi128_si256(_mm_setr_epi8(
        0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A));
    const __m256i highHalves = _mm256_broadcastsi128_si256(_mm_setr_epi8(
        0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10));
    const __m256i offsets = _mm256_broadcastsi128_si256(_mm_setr_epi8(0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0,
                                                                      0, 0, 0, 0));
    const __m256i halfMask = _mm256_set1_epi8(0x0F);
    const __m256i slash = _mm256_set1_epi8('/');
    const __m256i pairs = _mm256_set1_epi32(0x01400140);
    const __m256i quads = _mm256_set1_epi32(0x00011000);
    const __m256i bytesInOrder = _mm256_broadcastsi128_si256(
        _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1));
    // The first three words of each half, then the second half's three.
    const __m256i halvesTogether = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
    std::size_t used = 0;
    std::size_t stored = written;
    while (used + 32 <= size) {
        const __m256i text = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + used));
        const __m256i high = _mm256_and_si256(_mm256_srli_epi32(text, 4), halfMask);
        const __m256i outside = _mm256_and_si256(_mm256_shuffle_epi8(lowHalves, _mm256_and_si256(text, halfMask)),
                                                 _mm256_shuffle_epi8(highHalves, high));
        const auto inAlphabet =
            static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(outside, _mm256_setzero_si256())));
        const __m256i sextets = _mm256_add_epi8(
            text, _mm256_shuffle_epi8(offsets, _mm256_add_epi8(_mm256_cmpeq_epi8(text, slash), high)));
        const __m256i groups = _mm256_madd_epi16(_mm256_maddubs_epi16(sextets, pairs), quads);
        alignas(32) char bytes[32];
        _mm256_store_si256(reinterpret_cast<__m256i*>(bytes),
                           _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(groups, bytesInOrder), halvesTogether));
        if (inAlphabet == 0xFFFFFFFFu) {
            std::memcpy(out + stored, bytes, 24);
            stored += 24;
            used += 32;
            continue;
        }
        if (!takeGroupsBefore(static_cast<unsigned>(__builtin_ctz(~inAlphabet)), bytes, in, size, out, used, stored)) {
            break;
        }
    }
    written = stored;
    return used;
}

bool hasBlocks() {
    static const bool supported = __builtin_cpu_supports("ssse3");
    return supported;
}

bool hasWideBlocks() {
    static const bool supported = __builtin_cpu_supports("avx2");
    return supported;
}
#endif

}  // namespace

// Line breaks, white space and any other stray character are skipped; the
// first "=" ends the data, as whatever follows padding is not base64. `out`
// may be `in` itself: no byte is written before the characters it comes from
// are read. Returns the bytes written.
std::size_t Base64Decoder::decode(const char* text, std::size_t size, char* out) {
    if (ended_) return 0;
    const auto* in = reinterpret_cast<const unsigned char*>(text);
    // Kept in locals: the byte stores could otherwise alias the members, and
    // they would be read again after every store.
    unsigned bits = bits_;
    int bitCount = bitCount_;
    std::size_t written = 0;
    std::size_t i = 0;
    while (i < size) {
        // Four characters of the alphabet in a row (nearly all of a body
        // split into lines) give three bytes at once.
        if (bitCount == 0) {
#if TORVANE_BASE64_BLOCKS
            if (hasWideBlocks()) i += decodeWideBlocks(in + i, size - i, out, written);
            // What the wide blocks leave: fewer than 32 characters, or a
            // group that they stopped at.
            if (hasBlocks()) i += decodeBlocks(in + i, size - i, out, written);
#endif
            for (; i + 4 <= size; i += 4) {
                const std::uint32_t group = kFirst[in[i]] | kSecond[in[i + 1]] | kThird[in[i + 2]] | kFourth[in[i + 3]];
                if (group & kNotInGroup) break;
                out[written] = static_cast<char>(group >> 16);
                out[written + 1] = static_cast<char>(group >> 8 & 0xFF);
                out[written + 2] = static_cast<char>(group & 0xFF);
                written += 3;
            }
            if (i == size) break;
        }
        const signed char sextet = kSextets[in[i++]];
        if (sextet < 0) {
            if (sextet == kPadding) {
                ended_ = true;
                break;
            }
            continue;
        }
        bits = (bits << 6) | static_cast<unsigned>(sextet);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            out[written++] = static_cast<char>((bits >> bitCount) & 0xFF);
        }
    }
    bits_ = bits;
    bitCount_ = bitCount;
    return written;
}

std::string decodeBase64(std::string_view encoded) {
    std::string out(encoded.size() / 4 * 3 + 3, '\0');
    out.resize(Base64Decoder().decode(encoded.data(), encoded.size(), out.data()));
    return out;
}


}  // namespace hostsim
