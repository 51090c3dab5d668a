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

struct Expected {
    const char* save;
    const char* editReply;
    const char* editForward;
    const char* refresh;
    const char* autoSelect;
};

void expectCaptions(const Expected& expected) {
    ASSERT_NE(saveTemplateCaption(), nullptr);
    EXPECT_STREQ(saveTemplateCaption(), expected.save);
    EXPECT_STREQ(editReplyCaption(), expected.editReply);
    EXPECT_STREQ(editForwardCaption(), expected.editForward);
    EXPECT_STREQ(refreshCaption(), expected.refresh);
    EXPECT_STREQ(autoCaption(), expected.autoSelect);
}

}  // namespace

TEST_F(ShellCaptions, EnglishByDefault) {
    loadCaptions(path_ + ".absent");
    expectCaptions({"Save replying/forwarding template", "Edit replying template", "Edit forwarding template",
                    "Refresh", "Auto Select"});
    setLanguage("Chinese");
    loadCaptions(path_);
    EXPECT_STREQ(refreshCaption(), "Refresh");
}

TEST_F(ShellCaptions, SimplifiedChineseInGbkBytes) {
    setLanguage("simplifiedchinese");
    loadCaptions(path_);
    expectCaptions({"\xB1\xA3\xB4\xE6 HTML \xBB\xD8\xB8\xB4/\xD7\xAA\xB7\xA2\xC4\xA3\xB0\xE5",
                    "\xB1\xE0\xBC\xAD HTML \xBB\xD8\xB8\xB4\xC4\xA3\xB0\xE5",
                    "\xB1\xE0\xBC\xAD HTML \xD7\xAA\xB7\xA2\xC4\xA3\xB0\xE5", "\xCB\xA2\xD0\xC2\xD2\xB3\xC3\xE6",
                    "\xD7\xD4\xB6\xAF\xD1\xA1\xD4\xF1"});
}

TEST_F(ShellCaptions, TraditionalChineseInBig5Bytes) {
    setLanguage("TraditionalChinese_TW");
    loadCaptions(path_);
    expectCaptions({"\xAB\x4F\xA6\x73 HTML \xA6\x5E\xC2\xD0/\xC2\xE0\xB1\x48\xBC\xD2\xAA\x4F",
                    "\xBD\x73\xBF\xE8 HTML \xA6\x5E\xC2\xD0\xBC\xD2\xAA\x4F",
                    "\xBD\x73\xBF\xE8 HTML \xC2\xE0\xB1\x48\xBC\xD2\xAA\x4F", "\xA8\xEA\xB7\x73\xAD\xB6\xAD\xB1",
                    "\xA6\xDB\xB0\xCA\xBF\xEF\xA8\xFA"});
}

// The byte tables and the texts users read must not drift apart.
TEST(ShellCaptionTexts, ChineseBytesDecodeToTheIntendedTexts) {
    const auto& zhs = captionTextsFor(InterfaceLanguage::SimplifiedChinese);
    const auto& zht = captionTextsFor(InterfaceLanguage::TraditionalChinese);
    EXPECT_EQ(hostsim::convertCharset(zhs.saveTemplate, "GBK", "UTF-8"), "保存 HTML 回复/转发模板");
    EXPECT_EQ(hostsim::convertCharset(zhs.editReply, "GBK", "UTF-8"), "编辑 HTML 回复模板");
    EXPECT_EQ(hostsim::convertCharset(zhs.editForward, "GBK", "UTF-8"), "编辑 HTML 转发模板");
    EXPECT_EQ(hostsim::convertCharset(zhs.refresh, "GBK", "UTF-8"), "刷新页面");
    EXPECT_EQ(hostsim::convertCharset(zhs.autoSelect, "GBK", "UTF-8"), "自动选择");
    EXPECT_EQ(hostsim::convertCharset(zht.saveTemplate, "BIG5", "UTF-8"), "保存 HTML 回覆/轉寄模板");
    EXPECT_EQ(hostsim::convertCharset(zht.editReply, "BIG5", "UTF-8"), "編輯 HTML 回覆模板");
    EXPECT_EQ(hostsim::convertCharset(zht.editForward, "BIG5", "UTF-8"), "編輯 HTML 轉寄模板");
    EXPECT_EQ(hostsim::convertCharset(zht.refresh, "BIG5", "UTF-8"), "刷新頁面");
    EXPECT_EQ(hostsim::convertCharset(zht.autoSelect, "BIG5", "UTF-8"), "自動選取");
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
