#include "mime/line_reader.h"

std::size_t readLine(const char*& cursor, char* buffer, std::size_t capacity) {
    if (capacity == 0) return 0;
    // One character past the longest line is enough to tell CR LF from a lone CR.
    const char* end = cursor + strnlen(cursor, capacity);
    const ScannedLine line = scanLine(cursor, end, capacity);
    std::memcpy(buffer, line.text, line.length);
    std::size_t stored = line.length;
    if (line.terminated) buffer[stored++] = '\n';
    buffer[stored] = '\0';
    cursor += line.consumed;
    return stored;
}
