// Cases of the platform's file texts and piecewise writes, run on Linux
// (tests/unit) and through the Win32 calls under wine (tests/wine): each in a
// fresh folder ending in a separator.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/file_text.h"
#include "platform/files.h"

namespace filetextcases {

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::FILE* file = platform::openFile(path, "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

inline std::string numbered(std::size_t size) {
    std::string text;
    for (std::size_t i = 0; text.size() < size; ++i) text += std::to_string(i) + ' ';
    text.resize(size);
    return text;
}

inline void checkFileTexts(const std::string& folder) {
    // 4096: the page of x86 Linux and of Windows. Offsets beyond 64 KB lie
    // past Windows' first mapping boundary.
    struct Case {
        std::size_t size, offset;
        bool mapped;  // whether the system's mapping can hold the NUL
    };
    const Case cases[] = {{70001, 0, true},    {70001, 5, true},    {70001, 65539, true}, {70001, 70000, true},
                          {4097, 4096, true},   {8192, 0, false},    {8192, 100, false},   {70001, 70001, false},
                          {70001, 90000, false}, {0, 0, false},     {4, 0, true}};
    for (bool mappingOff : {false, true}) {
        platform::FileText::setMappingOffForTesting(mappingOff);
        for (const Case& c : cases) {
            SCOPED_TRACE("size " + std::to_string(c.size) + " offset " + std::to_string(c.offset) +
                         (mappingOff ? " read" : ""));
            const std::string path = folder + "text-" + std::to_string(c.size) + ".eml";
            const std::string content = numbered(c.size);
            writeBytes(path, content);
            std::optional<platform::FileText> opened = platform::FileText::open(path, c.offset);
            ASSERT_TRUE(opened.has_value());
            // Moved, as callers keep it: a short text read lives in the string object.
            platform::FileText text = std::move(*opened);
            EXPECT_EQ(text.mapped(), c.mapped && !mappingOff);
            EXPECT_EQ(text.view(), c.offset < content.size() ? content.substr(c.offset) : std::string());
            EXPECT_EQ(text.data()[text.size()], '\0');
            if (text.size() > 0) {
                text.data()[0] = '#';  // this copy only
                EXPECT_EQ(platform::readFile(path).value_or("<unread>"), content);
            }
            // Given away as a string: the bytes read, in one block of their
            // size, are moved out, not copied.
            const std::string expected(text.view());
            const bool wasMapped = text.mapped();
            const char* read = text.data();
            const std::string released = text.release();
            EXPECT_EQ(released, expected);
            EXPECT_EQ(text.size(), 0u);
            if (!wasMapped && released.size() > 100) {
                EXPECT_EQ(released.data(), read);
                EXPECT_EQ(released.capacity(), released.size());
            }
        }
    }
    platform::FileText::setMappingOffForTesting(false);
    EXPECT_FALSE(platform::FileText::open(folder + "missing.eml").has_value());
}

// Pieces larger than one write takes are written in several, each whole.
inline void checkPiecesWritten(const std::string& folder) {
    const std::size_t most = platform::kMostWrittenAtOnce;
    const std::string big = numbered(2 * most + 3);
    const std::string path = folder + "pieces.bin";
    ASSERT_TRUE(platform::writeFileInPieces(path, [&](const platform::PieceSink& sink) {
        for (std::size_t size : {std::size_t{0}, std::size_t{1}, most - 1, most, most + 1, 2 * most + 3}) {
            sink(std::string_view(big).substr(0, size));
        }
    }));
    std::string expected;
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, most - 1, most, most + 1, 2 * most + 3}) {
        expected += big.substr(0, size);
    }
    EXPECT_TRUE(platform::readFile(path) == expected);
}

}  // namespace filetextcases
