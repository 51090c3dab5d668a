#include "platform/find_byte.h"

#include <emmintrin.h>

#include <cstring>

#include "platform/processor_features.h"

namespace platform {
namespace {

__attribute__((target("sse2"))) const char* findByBlocks(const char* text, std::size_t size, char c) {
    const __m128i wanted = _mm_set1_epi8(c);
    std::size_t at = 0;
    for (; size - at >= 32; at += 32) {
        const __m128i first = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at)), wanted);
        const __m128i second =
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at + 16)), wanted);
        const auto found = static_cast<unsigned>(_mm_movemask_epi8(first)) |
                           static_cast<unsigned>(_mm_movemask_epi8(second)) << 16;
        if (found) return text + at + __builtin_ctz(found);
    }
    for (; at < size; ++at) {
        if (text[at] == c) return text + at;
    }
    return nullptr;
}

}  // namespace

const char* findByte(const char* text, std::size_t size, char c) {
    static const bool blocks = processorHasSse2();  // asked once: this runs for every line of some texts
    if (size == 0) return nullptr;
    return blocks ? findByBlocks(text, size, c) : static_cast<const char*>(std::memchr(text, c, size));
}

}  // namespace platform
