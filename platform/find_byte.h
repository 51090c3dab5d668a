// Finding one byte in a long text, as std::memchr does. The Windows builds
// link msvcrt's memchr, which goes a byte at a time (under wine a fifth of
// the time of a 25 MB reply); there the search goes sixteen bytes at a time
// where the processor has SSE2 (find_byte_win.cpp). Elsewhere it is the C
// library's own.
#pragma once

#include <cstddef>
#include <cstring>

namespace platform {

// The first `c` among the `size` bytes at `text`, or null; reads no byte
// past them.
#if defined(_WIN32)
const char* findByte(const char* text, std::size_t size, char c);
#else
inline const char* findByte(const char* text, std::size_t size, char c) {
    return static_cast<const char*>(std::memchr(text, c, size));
}
#endif

}  // namespace platform
