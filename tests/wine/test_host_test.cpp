// The test host's own parts that the plug-in tests rely on.
#include <gtest/gtest.h>

#include "tests/wine/host_fixture.h"

namespace wintest {
namespace {

using TestHost = HostFixture;

TEST_F(TestHost, ComposeMailOpensARealComposeWindow) {
    using ComposeMailFn = HWND(WINAPI*)(const char*);
    auto composeMail = reinterpret_cast<ComposeMailFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA(nullptr), "BKA_ComposeMail")));
    ASSERT_NE(composeMail, nullptr);
    HWND first = composeMail("");
    HWND second = composeMail("");
    EXPECT_TRUE(IsWindow(first));
    EXPECT_TRUE(IsWindow(second));
    EXPECT_NE(first, second);
    EXPECT_NE(first, mainWindow());
    EXPECT_EQ(host().compositions.count(first), 1u);
    EXPECT_EQ(host().countCalls("BKA_ComposeMail"), 2);
}

TEST_F(TestHost, MessageBoxesAreReadAndDismissed) {
    EXPECT_EQ(MessageBoxA(nullptr, "Template C:\\x\\torvane.tml not found!", "", MB_OK), IDOK);
    EXPECT_EQ(MessageBoxA(mainWindow(), "Error in replacing HTML!", "Error", MB_OK), IDOK);
    const std::vector<CaughtBox> boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Template C:\\x\\torvane.tml not found!");
    EXPECT_EQ(boxes[0].caption, "");
    EXPECT_EQ(boxes[1].text, "Error in replacing HTML!");
    EXPECT_EQ(boxes[1].caption, "Error");
}

TEST_F(TestHost, FoldersAreRealAndEndInABackslash) {
    for (const std::string& folder : {host().tempFolder, host().dataFolder, host().dataFolder + host().currentMailBox}) {
        ASSERT_FALSE(folder.empty());
        EXPECT_EQ(folder.back(), '\\') << folder;
        const DWORD attributes = GetFileAttributesA(folder.c_str());
        EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) << folder;
    }
}

}  // namespace
}  // namespace wintest
