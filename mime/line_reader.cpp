#include "mime/line_reader.h"

#include <cstdint>

#include "platform/processor_features.h"

#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>
#define TORVANE_LINE_BREAK_BLOCKS 1
#endif

std::size_t linescan::findLineBreakByBytes(const char* text, std::size_t limit) {
    for (std::size_t i = 0; i < limit; ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n' || c == '\0') return i;
    }
    return limit;
}

#if defined(TORVANE_LINE_BREAK_BLOCKS)
// Sixteen characters at a time, compiled for SSE2 also where the build's
// processor baseline has none (the i686 DLL, which then asks the processor
// first). The loads are aligned, so they never cross into a page that the
// text does not touch, and the scan stops at the block holding the
// terminating NUL; the bytes around the text that the first and last block
// cover are read but ignored, hence no address sanitizing here.
namespace {

__attribute__((target("sse2"), no_sanitize("address"))) unsigned breaksIn(const char* aligned) {
    const __m128i block = _mm_load_si128(reinterpret_cast<const __m128i*>(aligned));
    const __m128i found = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('\r')),
                                                    _mm_cmpeq_epi8(block, _mm_set1_epi8('\n'))),
                                       _mm_cmpeq_epi8(block, _mm_setzero_si128()));
    return static_cast<unsigned>(_mm_movemask_epi8(found));
}

}  // namespace

__attribute__((target("sse2"))) std::size_t linescan::findLineBreakByBlocks(const char* text, std::size_t limit) {
    const std::size_t skew = reinterpret_cast<std::uintptr_t>(text) & 15u;
    unsigned mask = breaksIn(text - skew) >> skew;
    std::size_t offset = 0;
    if (!mask) {
        for (offset = 16 - skew; offset < limit; offset += 16) {
            mask = breaksIn(text + offset);
            if (mask) break;
        }
        if (!mask) return limit;
    }
    const std::size_t at = offset + static_cast<std::size_t>(__builtin_ctz(mask));
    return at < limit ? at : limit;
}

bool linescan::hasBlocks() { return platform::processorHasSse2(); }
#else
std::size_t linescan::findLineBreakByBlocks(const char* text, std::size_t limit) {
    return findLineBreakByBytes(text, limit);
}

bool linescan::hasBlocks() { return false; }
#endif

std::size_t findLineBreak(const char* text, std::size_t limit) {
#if defined(__SSE2__)
    return linescan::findLineBreakByBlocks(text, limit);
#else
    static const bool blocks = linescan::hasBlocks();  // asked once: this runs for every line
    return blocks ? linescan::findLineBreakByBlocks(text, limit) : linescan::findLineBreakByBytes(text, limit);
#endif
}

std::size_t readLine(const char*& cursor, char* buffer, std::size_t capacity) {
    if (capacity == 0) return 0;
    const ScannedLine line = scanLine(cursor, capacity);
    std::memcpy(buffer, line.text, line.length);
    std::size_t stored = line.length;
    if (line.terminated) buffer[stored++] = '\n';
    buffer[stored] = '\0';
    cursor += line.consumed;
    return stored;
}
