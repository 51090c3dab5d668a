// Finding one byte in a long text, as std::memchr does. The Windows builds
// link msvcrt's memchr, which goes a byte at a time (under wine a fifth of
// the time of a 25 MB reply); there the search goes sixteen bytes at a time
// where the processor has SSE2 (find_byte_win.cpp). Elsewhere it is the C
// library's own.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace platform {

// The first `c` among the `size` bytes at `text`, or null; reads no byte
// past them. `text` may be null where `size` is 0 (memchr's may not).
#if defined(_WIN32)
const char* findByte(const char* text, std::size_t size, char c);
#else
inline const char* findByte(const char* text, std::size_t size, char c) {
    return size == 0 ? nullptr : static_cast<const char*>(std::memchr(text, c, size));
}
#endif

// The first `needle` in `text` at or after `from`, as std::string_view's
// find, its first byte sought with findByte.
inline std::size_t findText(std::string_view text, std::string_view needle, std::size_t from = 0) {
    if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
    while (from < text.size() && needle.size() <= text.size() - from) {
        const char* at = findByte(text.data() + from, text.size() - from - needle.size() + 1, needle[0]);
        if (!at) break;
        const auto position = static_cast<std::size_t>(at - text.data());
        if (std::memcmp(at + 1, needle.data() + 1, needle.size() - 1) == 0) return position;
        from = position + 1;
    }
    return std::string_view::npos;
}

}  // namespace platform
