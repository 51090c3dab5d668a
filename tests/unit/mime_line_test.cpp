#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "mime/line_list.h"
#include "mime/line_reader.h"
#include "mime_test_support.h"

namespace {

// Every line readLine returns for `text` with a buffer of `capacity`.
std::vector<std::string> readAll(const std::string& text, std::size_t capacity) {
    std::vector<std::string> lines;
    std::vector<char> buffer(capacity);
    const char* cursor = text.c_str();
    while (std::size_t stored = readLine(cursor, buffer.data(), capacity)) {
        EXPECT_EQ(buffer[stored], '\0');
        lines.emplace_back(buffer.data(), stored);
    }
    EXPECT_EQ(*cursor, '\0');
    EXPECT_EQ(cursor, text.c_str() + text.size());
    return lines;
}

using Lines = std::vector<std::string>;

TEST(ReadLine, EveryKindOfLineEndBecomesOneLf) {
    EXPECT_EQ(readAll("a\nb\r\nc\rd", 100), (Lines{"a\n", "b\n", "c\n", "d"}));
    // A CR before a CR is a lone CR: it ends a line of its own.
    EXPECT_EQ(readAll("a\r\r\nb", 100), (Lines{"a\n", "\n", "b"}));
    EXPECT_EQ(readAll("\n\r\n\r", 100), (Lines{"\n", "\n", "\n"}));
    EXPECT_TRUE(readAll("", 100).empty());
}

TEST(ReadLine, LongLinesAreCutAtCapacityLessOne) {
    // Capacity 6 stores at most 5 characters, the LF included.
    EXPECT_EQ(readAll("abcdefgh\n", 6), (Lines{"abcde", "fgh\n"}));
    EXPECT_EQ(readAll("abcd\r\nx", 6), (Lines{"abcd\n", "x"}));
    // Five characters fill the buffer: the line end is read as a line of its own.
    EXPECT_EQ(readAll("abcde\r\nx", 6), (Lines{"abcde", "\n", "x"}));
    EXPECT_EQ(readAll("abcde\rx", 6), (Lines{"abcde", "\n", "x"}));

    const std::string longLine(70000, 'q');
    const Lines lines = readAll(longLine + "\r\n", kLineCapacity);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(65535, 'q'));
    EXPECT_EQ(lines[1], std::string(70000 - 65535, 'q') + "\n");
}

// Both ways of finding a line break, from every alignment, with the break
// (CR, LF or the NUL) before, inside and after the first blocks, and limits
// on either side of it.
TEST(FindLineBreak, BothWaysFindTheFirstBreakWithinTheLimitFromAnyAlignment) {
    using Find = std::size_t (*)(const char*, std::size_t);
    std::vector<Find> ways{linescan::findLineBreakByBytes};
    if (linescan::hasBlocks()) ways.push_back(linescan::findLineBreakByBlocks);
    alignas(16) char text[128];
    for (const Find find : ways) {
        for (const char stop : {'\r', '\n', '\0'}) {
            for (std::size_t start = 0; start < 16; ++start) {
                for (std::size_t at = 0; at < 48; ++at) {
                    std::memset(text, 'x', sizeof text);
                    text[sizeof text - 1] = '\0';
                    text[start + at] = stop;
                    for (const std::size_t limit : {at, at + 1, std::size_t{60}}) {
                        EXPECT_EQ(find(text + start, limit), std::min(at, limit))
                            << "stop " << int(stop) << " start " << start << " at " << at << " limit " << limit;
                    }
                }
                // No break before the limit: the limit, from a text longer than it.
                std::memset(text, 'x', sizeof text);
                text[sizeof text - 1] = '\0';
                EXPECT_EQ(find(text + start, 50), 50u);
            }
        }
    }
}

TEST(ReadLine, StopsAtTheTerminatingNulAndStaysThere) {
    const char text[] = "one\ntwo";
    const char* cursor = text;
    char buffer[16];
    EXPECT_EQ(readLine(cursor, buffer, sizeof buffer), 4u);
    EXPECT_EQ(readLine(cursor, buffer, sizeof buffer), 3u);
    EXPECT_STREQ(buffer, "two");
    EXPECT_EQ(readLine(cursor, buffer, sizeof buffer), 0u);
    EXPECT_EQ(readLine(cursor, buffer, sizeof buffer), 0u);
    EXPECT_EQ(cursor, text + 7);
}

TEST(LineListTest, KeepsLinesInOrderWithCrLfAndJoinsThem) {
    LineList list;
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(joinLines(list), "");
    list.appendLine("first");
    list.appendLine("");
    list.appendText("folded\r\n continued\r\n");
    EXPECT_EQ(list.size(), 3u);
    EXPECT_EQ(list.front(), "first\r\n");
    EXPECT_EQ(list.back(), "folded\r\n continued\r\n");
    EXPECT_EQ(*std::next(list.begin()), "\r\n");
    EXPECT_EQ(joinLines(list), "first\r\n\r\nfolded\r\n continued\r\n");

    list.clear();
    EXPECT_EQ(list.size(), 0u);
    EXPECT_EQ(joinLines(list), "");
    list.appendLine("again");
    EXPECT_EQ(joinLines(list), "again\r\n");
}

// Lists sharing an arena take turns, as a multipart's preamble, its parts
// and its epilogue do, with lengths around the one-byte length's limit and
// lines larger than a block.
TEST(LineListTest, ListsSharingAnArenaKeepTheirOwnLinesInOrder) {
    LineArena arena;
    LineList first(&arena);
    LineList second(&arena);
    std::vector<std::string> expectedFirst;
    std::vector<std::string> expectedSecond;
    const std::size_t lengths[] = {0, 1, 252, 253, 254, 255, 70000, 3, 3, 200000, 7};
    for (std::size_t i = 0; i < 40; ++i) {
        const std::string content(lengths[i % std::size(lengths)], static_cast<char>('a' + i % 26));
        LineList& list = i % 3 == 2 ? second : first;
        (i % 3 == 2 ? expectedSecond : expectedFirst).push_back(content + "\r\n");
        list.appendLine(content);
        EXPECT_EQ(list.back(), content + "\r\n");
    }
    EXPECT_EQ(mimetest::linesOf(first), expectedFirst);
    EXPECT_EQ(mimetest::linesOf(second), expectedSecond);
    EXPECT_EQ(first.size(), expectedFirst.size());
}

// Lines read in place take turns with stored ones, in one view while they
// follow each other in the text; copied out, they outlive the text.
TEST(LineListTest, LinesReadInPlaceReadAsStoredOnesAndCanBeCopiedOut) {
    std::string text = "one\r\ntwo\r\n\r\nthree\r\nfour\r\n";
    const std::size_t four = text.find("four");
    LineList list;
    list.appendInPlace(std::string_view(text).substr(0, 5));
    list.appendInPlace(std::string_view(text).substr(5, 5));
    list.appendInPlace(std::string_view(text).substr(10, 2));
    list.appendLine("stored");
    list.appendInPlace(std::string_view(text).substr(four, 6));
    list.appendInPlace(std::string_view(text).substr(12, 7));  // not after the one before: a view of its own
    const Lines expected{"one\r\n", "two\r\n", "\r\n", "stored\r\n", "four\r\n", "three\r\n"};
    EXPECT_EQ(mimetest::linesOf(list), expected);
    EXPECT_EQ(list.size(), expected.size());
    EXPECT_EQ(list.back(), "three\r\n");
    EXPECT_EQ(list.totalLength(), joinLines(list).size());
    EXPECT_EQ(list.lengthInPlace(), 5u + 5 + 2 + 6 + 7);

    list.storeLinesInPlace();
    text.assign(text.size(), 'x');
    EXPECT_EQ(mimetest::linesOf(list), expected);
    EXPECT_EQ(list.lengthInPlace(), 0u);
    EXPECT_EQ(list.back(), "three\r\n");
    list.appendLine("more");
    EXPECT_EQ(list.size(), expected.size() + 1);
}

}  // namespace
