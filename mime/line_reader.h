// Splitting a NUL-terminated text into lines. A line ends at LF, CR LF or a
// lone CR; a line longer than the reader's capacity is cut and its rest read
// as the next line.
#pragma once

#include <cstddef>
#include <cstring>

// Capacity of the line buffer of every reader of MIME text.
constexpr std::size_t kLineCapacity = 65536;

// Index of the first CR, LF or NUL among the first `limit` characters of a
// NUL-terminated text; `limit` when there is none.
std::size_t findLineBreak(const char* text, std::size_t limit);

// findLineBreak's two ways, each given the same contract, for the tests:
// sixteen characters at a time (SSE2: every x86-64 processor, and the i686
// builds where the processor has it, as findLineBreak asks it), and one at
// a time (every other processor; byBlocks is this where not on x86).
namespace linescan {
std::size_t findLineBreakByBlocks(const char* text, std::size_t limit);
std::size_t findLineBreakByBytes(const char* text, std::size_t limit);
bool hasBlocks();  // byBlocks can run here (asks the processor each call)
}  // namespace linescan

// One line found at a position of the text, without copying it.
struct ScannedLine {
    const char* text;       // start of the line's characters
    std::size_t length;     // characters, line end excluded
    std::size_t consumed;   // characters to move past, line end included
    bool terminated;        // a line end was found (stored as one LF)
};

// The line at `position` of a NUL-terminated text, as readLine would store
// it in a buffer of `capacity` characters: at most capacity - 1 characters,
// the LF for the line end included.
inline ScannedLine scanLine(const char* position, std::size_t capacity) {
    const std::size_t maxStored = capacity > 0 ? capacity - 1 : 0;
    const std::size_t at = findLineBreak(position, maxStored);
    if (at == maxStored) return {position, at, at, false};
    switch (position[at]) {
    case '\n':
        return {position, at, at + 1, true};
    case '\r':
        return {position, at, at + (position[at + 1] == '\n' ? 2 : 1), true};
    default:  // the end of the text
        return {position, at, at, false};
    }
}

// Copies the next line at `cursor` into `buffer` with a single LF for its
// line end, NUL-terminates it and moves the cursor past it. Returns the
// number of characters stored; 0 at the end of the text (the cursor then
// stays on the terminating NUL).
std::size_t readLine(const char*& cursor, char* buffer, std::size_t capacity);
