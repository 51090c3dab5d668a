#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "shell/captions.h"
#include "tools/hostsim/converters.h"
#include "tools/hostsim/sim_host.h"

namespace {

class ShellCaptions : public ::testing::Test {
protected:
    void SetUp() override {
        hostsim::simHost().reset();
        hostsim::installSimulatedHost();
        char pattern[] = "/tmp/h2captionsXXXXXX";
        const int fd = mkstemp(pattern);
        ASSERT_GE(fd, 0);
        close(fd);
        path_ = pattern;
    }
    void TearDown() override {
        releaseCaptions();
        std::remove(path_.c_str());
    }

    void setLanguage(const std::string& language) {
        std::ofstream(path_, std::ios::binary) << "[Settings]\r\nLanguage=" << language << "\r\n";
    }

    std::string path_;
};

// The menus get narrow texts: the Chinese captions must be exactly the GBK
// and Big5 encodings of the interface texts.
struct Expected {
    const char* charset;
    const char* texts[5];
};

void expectCaptions(const Expected& expected) {
    const char* captions[] = {saveTemplateCaption(), editReplyCaption(), editForwardCaption(), refreshCaption(),
                              autoCaption()};
    for (int i = 0; i < 5; ++i) {
        ASSERT_NE(captions[i], nullptr);
        EXPECT_EQ(captions[i], hostsim::convertCharset(expected.texts[i], "UTF-8", expected.charset)) << i;
    }
}

}  // namespace

TEST_F(ShellCaptions, EnglishByDefaultAndForUnknownLanguages) {
    const Expected english = {"US-ASCII",
                              {"Save replying/forwarding template", "Edit replying template",
                               "Edit forwarding template", "Refresh", "Auto Select"}};
    loadCaptions(path_ + ".absent");
    expectCaptions(english);
    setLanguage("Chinese");
    loadCaptions(path_);
    expectCaptions(english);
}

TEST_F(ShellCaptions, SimplifiedChineseInGbkBytes) {
    setLanguage("simplifiedchinese");
    loadCaptions(path_);
    expectCaptions({"GBK",
                    {"保存 HTML 回复/转发模板", "编辑 HTML 回复模板", "编辑 HTML 转发模板", "刷新页面", "自动选择"}});
}

TEST_F(ShellCaptions, TraditionalChineseInBig5Bytes) {
    setLanguage("TraditionalChinese_TW");
    loadCaptions(path_);
    expectCaptions({"BIG5",
                    {"保存 HTML 回覆/轉寄模板", "編輯 HTML 回覆模板", "編輯 HTML 轉寄模板", "刷新頁面", "自動選取"}});
}

TEST_F(ShellCaptions, FortyByteHostBlocksReplacedOnEveryLoad) {
    loadCaptions(path_);
    EXPECT_EQ(hostsim::simHost().outstandingBlocks(), 5u);
    EXPECT_EQ(hostsim::simHost().countCalls("BKA_Alloc"), 5);
    for (const char* caption : {saveTemplateCaption(), editReplyCaption(), editForwardCaption(), refreshCaption(),
                                autoCaption()}) {
        EXPECT_EQ(hostsim::simHost().blockSize(caption), 40u);
    }

    setLanguage("SimplifiedChinese");
    loadCaptions(path_);  // the English blocks go back first
    EXPECT_EQ(hostsim::simHost().countCalls("BKA_Free"), 5);
    EXPECT_EQ(hostsim::simHost().outstandingBlocks(), 5u);
    EXPECT_STRNE(refreshCaption(), "Refresh");

    releaseCaptions();
    EXPECT_EQ(hostsim::simHost().outstandingBlocks(), 0u);
    EXPECT_EQ(hostsim::simHost().invalidFrees(), 0u);
    EXPECT_EQ(refreshCaption(), nullptr);
    EXPECT_EQ(autoCaption(), nullptr);
    releaseCaptions();  // twice is harmless
    EXPECT_EQ(hostsim::simHost().invalidFrees(), 0u);
}
