// BKC_OnOpenCompose: which compose windows get a session, and the lifecycle
// of the sessions. A new session reads its two switches from the settings
// file, which is how the host sees one being made.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/wine/host_fixture.h"

namespace wintest {
namespace {

class OpenCompose : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        writeSettings("[Settings]\r\nConvertText=TRUE\r\nResetCharset=false\r\n");
        startPlugin();
        host().calls.clear();
        takeSettingsReads();
    }

    // True when the call made a session: it read both switches from the settings file.
    bool openedSession(HWND window, int mode) {
        EXPECT_EQ(plugin().onOpenCompose(window, mode), 0);
        const std::vector<ProfileRead> reads = takeSettingsReads();
        bool convertText = false, resetCharset = false;
        for (const ProfileRead& read : reads) {
            EXPECT_EQ(read.section, "Settings");
            EXPECT_EQ(read.path, settingsPath());
            convertText = convertText || read.key == "ConvertText";
            resetCharset = resetCharset || read.key == "ResetCharset";
        }
        EXPECT_EQ(convertText, resetCharset) << "mode " << mode;
        return convertText && resetCharset;
    }
};

TEST_F(OpenCompose, ReplyAndForwardModesOpenASession) {
    for (int mode : {5, 6, 7, 10, 11, 12}) {
        host().calls.clear();
        EXPECT_TRUE(openedSession(openComposeWindow(), mode)) << "mode " << mode;
        EXPECT_EQ(host().countCalls("BKA_GetCurrentFolder"), 1) << "mode " << mode;
    }
}

TEST_F(OpenCompose, OtherModesReturnAtOnce) {
    for (int mode : {-1, 0, 1, 4, 8, 9, 13, 255}) {
        EXPECT_FALSE(openedSession(openComposeWindow(), mode)) << "mode " << mode;
    }
    // Not even the folder is asked.
    EXPECT_TRUE(host().calls.empty());
}

TEST_F(OpenCompose, DraftAndOutboxFoldersAreLeftAlone) {
    for (const char* folder : {"mailbox1\\!!!Draft\\", "mailbox1\\!!!DRAFT\\", "mailbox1\\!!!!Outbox\\",
                               "mailbox1\\!!!!oUTBOX\\"}) {
        host().currentFolder = folder;
        EXPECT_FALSE(openedSession(openComposeWindow(), 5)) << folder;
        EXPECT_FALSE(openedSession(openComposeWindow(), 11)) << folder;
    }
    host().currentFolder = "mailbox1\\!!Draft\\";
    EXPECT_TRUE(openedSession(openComposeWindow(), 5));
}

TEST_F(OpenCompose, OneSessionPerWindow) {
    HWND window = openComposeWindow();
    EXPECT_TRUE(openedSession(window, 5));
    EXPECT_FALSE(openedSession(window, 5));
    EXPECT_FALSE(openedSession(window, 10));
    EXPECT_TRUE(openedSession(openComposeWindow(), 5));
}

TEST_F(OpenCompose, WithoutASettingsFileTheSwitchesAreNotRead) {
    ASSERT_TRUE(DeleteFileA(settingsPath().c_str()));
    EXPECT_EQ(plugin().onOpenCompose(openComposeWindow(), 5), 0);
    EXPECT_TRUE(takeSettingsReads().empty());
    EXPECT_EQ(host().countCalls("BKA_GetCurrentFolder"), 1);
}

TEST_F(OpenCompose, ANewSessionSeedsTheRandomGenerator) {
    // The plug-in and this host share the C runtime's per-thread generator.
    std::srand(7);
    const int first = std::rand(), second = std::rand();
    std::srand(7);
    ASSERT_TRUE(openedSession(openComposeWindow(), 5));
    EXPECT_FALSE(std::rand() == first && std::rand() == second);
}

TEST_F(OpenCompose, ExitEndsTheSessionsAndARestartBeginsAfresh) {
    HWND window = openComposeWindow();
    EXPECT_TRUE(openedSession(window, 6));
    exitPlugin();
    startPlugin();
    takeSettingsReads();
    EXPECT_TRUE(openedSession(window, 6));
}

TEST_F(OpenCompose, BeforeStartNoSessionIsMade) {
    exitPlugin();
    EXPECT_FALSE(openedSession(openComposeWindow(), 5));
    startPlugin();
}

TEST_F(OpenCompose, EveryHostBlockIsFreedAfterExit) {
    EXPECT_EQ(plugin().onMenuInit(mainWindow(), nullptr, 0), 0);
    EXPECT_EQ(plugin().onMenuInit(mainWindow(), nullptr, 10), 0);
    HWND window = openComposeWindow();
    EXPECT_EQ(plugin().onOpenCompose(window, 5), 0);
    EXPECT_EQ(plugin().onOpenCompose(openComposeWindow(), 11), 0);
    EXPECT_EQ(plugin().onMenuInit(window, nullptr, 11), 0);
    EXPECT_EQ(plugin().onPlugInSetup(mainWindow()), 1);
    takeBoxes();
    exitPlugin();
    EXPECT_GT(host().countCalls("BKA_Alloc"), 0);
    EXPECT_EQ(host().outstandingBlocks(), 0u);
    EXPECT_EQ(host().invalidFrees(), 0u);
}

}  // namespace
}  // namespace wintest
