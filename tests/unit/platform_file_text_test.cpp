#include <cstdlib>
#include <filesystem>

#include "tests/file_text_cases.h"

TEST(FileText, MapsWhereANulFollowsAndReadsElsewhere) {
    std::string folder = (std::filesystem::temp_directory_path() / "torvane-file-text-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    filetextcases::checkFileTexts(folder + "/");
    filetextcases::checkPiecesWritten(folder + "/");
    std::filesystem::remove_all(folder);
}
