#include <sys/mman.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/large_blocks.h"
#include "tests/file_text_cases.h"

TEST(FileText, MapsWhereANulFollowsAndReadsElsewhere) {
    std::string folder = (std::filesystem::temp_directory_path() / "torvane-file-text-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    filetextcases::checkFileTexts(folder + "/");
    filetextcases::checkPiecesWritten(folder + "/");
    std::filesystem::remove_all(folder);
}

// The pages of a block about to be written are given at once, and only
// those inside it; what the block already holds stays.
TEST(LargeBlocks, PreparedPagesAreGivenAndKeepTheirBytes) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t pages = (std::size_t{4} << 20) / page;
    void* mapped = mmap(nullptr, pages * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(mapped, MAP_FAILED);
    char* const block = static_cast<char*>(mapped);
    block[0] = 'a';
    block[pages * page - 1] = 'z';
    const auto resident = [&] {
        std::vector<unsigned char> flags(pages);
        EXPECT_EQ(mincore(block, pages * page, flags.data()), 0);
        std::size_t count = 0;
        for (const unsigned char flag : flags) count += flag & 1;
        return count;
    };
    EXPECT_EQ(resident(), 2u);
    // From the middle of the first page to the middle of the last.
    platform::prepareForWriting(block + page / 2, pages * page - page);
    struct utsname system {};
    uname(&system);
    const bool populates = ::strverscmp(system.release, "5.14") >= 0;
    EXPECT_EQ(resident(), populates ? pages : 2u) << system.release;
    EXPECT_EQ(block[0], 'a');
    EXPECT_EQ(block[pages * page - 1], 'z');
    munmap(block, pages * page);
}
