// The file layer through the Win32 calls: existence, whole-file reads and
// writes, and folder listings in a real folder with backslash paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/files.h"
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
