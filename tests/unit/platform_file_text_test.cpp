#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/file_text.h"
#include "platform/large_blocks.h"
#include "tests/file_text_cases.h"

TEST(FileText, MapsWhereANulFollowsAndReadsElsewhere) {
    std::string folder = (std::filesystem::temp_directory_path() / "torvane-file-text-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    filetextcases::checkFileTexts(folder + "/");
    filetextcases::checkPiecesWritten(folder + "/");
    std::filesystem::remove_all(folder);
}

namespace {

bool kernelPopulates() {
    struct utsname system {};
    uname(&system);
    return ::strverscmp(system.release, "5.14") >= 0;
}

long minorFaults() {
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// A byte of each page, without the sanitizer's own reads of its shadow
// memory, which would fault too.
__attribute__((no_sanitize("address"))) std::size_t sumOfPages(std::string_view text, std::size_t page) {
    std::size_t sum = 0;
    for (std::size_t at = 0; at < text.size(); at += page) sum += static_cast<unsigned char>(text[at]);
    return sum;
}

}  // namespace

// A mapped text comes with its pages: reading it whole takes no page faults.
TEST(FileText, MappedTextIsReadWithoutPageFaults) {
    // On tmpfs, whose pages are small: a disk's file cache may hold large
    // ones, of which a fault maps many at once.
    const std::filesystem::path shared = std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    std::string folder = (shared / "torvane-file-text-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    filetextcases::writeBytes(folder + "/text", std::string((std::size_t{4} << 20) + 1, 'm'));
    std::optional<platform::FileText> text = platform::FileText::open(folder + "/text", 0);
    ASSERT_TRUE(text && text->mapped());
    const long before = minorFaults();
    const std::size_t sum = sumOfPages(text->view(), page);
    const long faults = minorFaults() - before;
    EXPECT_EQ(sum, ((std::size_t{4} << 20) / page + 1) * 'm');
    // Without the pages given, a fault maps a batch of 16 pages at most.
    if (kernelPopulates()) {
        EXPECT_LT(faults, 8) << faults;
    }
    text.reset();
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
    EXPECT_EQ(resident(), kernelPopulates() ? pages : 2u);
    EXPECT_EQ(block[0], 'a');
    EXPECT_EQ(block[pages * page - 1], 'z');
    munmap(block, pages * page);
}

// Such a block is written whole: where the system has huge pages on request,
// the 2 MB stretches inside it get them.
TEST(LargeBlocks, PreparedBlocksTakeHugePagesInside) {
    std::ifstream setting("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string modes;
    std::getline(setting, modes);
    if (!kernelPopulates() || modes.empty() || modes.find("[never]") != std::string::npos) {
        GTEST_SKIP() << "no huge pages here";
    }
    const std::size_t size = std::size_t{8} << 20;
    void* mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(mapped, MAP_FAILED);
    platform::prepareForWriting(static_cast<char*>(mapped) + 100, size - 200);
    // The huge pages of the block's mappings (asking for them splits it).
    const auto begin = reinterpret_cast<std::uintptr_t>(mapped);
    std::ifstream smaps("/proc/self/smaps");
    std::size_t hugeKilobytes = 0;
    bool inBlock = false;
    for (std::string line; std::getline(smaps, line);) {
        // A mapping's own line holds its range before any colon; its fields
        // begin with a name and a colon.
        if (line.find('-') < line.find(':')) {
            const std::uintptr_t start = std::stoull(line.substr(0, line.find('-')), nullptr, 16);
            inBlock = start >= begin && start < begin + size;
        } else if (inBlock && line.rfind("AnonHugePages:", 0) == 0) {
            hugeKilobytes += std::stoul(line.substr(14));
        }
    }
    EXPECT_GE(hugeKilobytes, 2048u);
    munmap(mapped, size);
}
