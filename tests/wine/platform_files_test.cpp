// The file layer through the Win32 calls: existence, whole-file reads and
// writes, and folder listings in a real folder with backslash paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/files.h"
#include "platform/find_byte.h"
#include "tests/file_text_cases.h"
#include "tests/wine/scratch_folder.h"

using wintest::ScratchFolder;

TEST(PlatformFilesOnWindows, ReadsAndWritesWholeFiles) {
    ScratchFolder scratch;
    const std::string path = scratch.path() + "note.txt";
    EXPECT_FALSE(platform::fileExists(path));
    EXPECT_FALSE(platform::pathExists(path));
    EXPECT_FALSE(platform::readFile(path).has_value());

    ASSERT_TRUE(platform::writeFile(std::string("one\r\ntwo\0hidden", 14), path));
    EXPECT_TRUE(platform::fileExists(path));
    EXPECT_EQ(platform::readFile(path).value(), "one\r\ntwo");  // written up to the first NUL

    ASSERT_TRUE(platform::writeFile("", path));
    EXPECT_EQ(platform::readFile(path).value(), "");
    EXPECT_TRUE(platform::pathExists(path));
    EXPECT_FALSE(platform::fileExists(scratch.path()));  // a folder is not a file
    EXPECT_TRUE(platform::pathExists(scratch.path()));
}

TEST(PlatformFilesOnWindows, ReadsFilesBehindPathsLongerThanOpenFileTakes) {
    ScratchFolder scratch;
    std::string relative = "deeper-folder-name";
    std::string folder = scratch.subfolder(relative);
    while (folder.size() < 200) {
        relative += "\\deeper-folder-name";
        folder = scratch.subfolder(relative);
    }
    const std::string path = folder + "torvane.tml";
    ASSERT_GT(path.size(), 128u);
    ASSERT_TRUE(platform::writeFile("Content-Type: text/html\r\n\r\n<p>%f</p>\r\n", path));
    EXPECT_TRUE(platform::fileExists(path));
    EXPECT_EQ(platform::readFile(path).value_or("<none>"), "Content-Type: text/html\r\n\r\n<p>%f</p>\r\n");
}

TEST(PlatformFilesOnWindows, ListsEntriesWithTheSuffixAndCreatesFolders) {
    ScratchFolder scratch;
    wintest::writeTextFile(scratch.path() + "$$$00000Default.txt", "x");
    wintest::writeTextFile(scratch.path() + "notes.TXT", "x");
    wintest::writeTextFile(scratch.path() + "image.png", "x");
    EXPECT_TRUE(platform::createDirectory(scratch.path() + "$$$dir.txt"));
    EXPECT_FALSE(platform::createDirectory(scratch.path() + "$$$dir.txt"));

    auto entries = platform::listDirectory(scratch.path(), ".txt");
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "$$$00000Default.txt");
    EXPECT_FALSE(entries[0].isDirectory);
    EXPECT_EQ(entries[1].name, "$$$dir.txt");
    EXPECT_TRUE(entries[1].isDirectory);
    EXPECT_EQ(entries[2].name, "notes.TXT");
    EXPECT_TRUE(platform::listDirectory(scratch.path() + "missing", ".txt").empty());
}

TEST(PlatformFilesOnWindows, FileTextsMapWhereANulFollowsAndReadElsewhere) {
    ScratchFolder scratch;
    filetextcases::checkFileTexts(scratch.path());
    filetextcases::checkPiecesWritten(scratch.path());
}

// The search that stands in for msvcrt's memchr finds what memchr finds,
// from every alignment, in ranges shorter and longer than its blocks, and
// never past the range: the byte sought lies right after it as well.
TEST(PlatformFilesOnWindows, FindByteFindsWhatMemchrFinds) {
    ASSERT_EQ(platform::findByte(nullptr, 0, ':'), nullptr);  // an empty range with no text
    char text[160];
    for (std::size_t start = 0; start < 16; ++start) {
        for (std::size_t size = 0; size < 100; size += size < 40 ? 1 : 7) {
            for (std::size_t at = 0; at <= size; ++at) {
                std::memset(text, 'x', sizeof text);
                text[start + at] = ':';       // inside, or at `size`: just past the range
                text[start + size + 1] = ':';
                const char* expected = static_cast<const char*>(std::memchr(text + start, ':', size));
                ASSERT_EQ(platform::findByte(text + start, size, ':'), expected)
                    << "start " << start << " size " << size << " at " << at;
            }
        }
    }
}
