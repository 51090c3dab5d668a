#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "session/settings.h"

namespace {

class SessionSettings : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/h2settingsXXXXXX";
        const int fd = mkstemp(pattern);
        ASSERT_GE(fd, 0);
        close(fd);
        path_ = pattern;
    }
    void TearDown() override { std::remove(path_.c_str()); }

    void write(const std::string& content) { std::ofstream(path_, std::ios::binary) << content; }

    std::string path_;
};

}  // namespace

TEST(SessionSettingsRules, SwitchNeedsTrueInItsFirstFourCharacters) {
    for (const char* on : {"TRUE", "true", "True", "TRUEST", "tRuE 1"}) EXPECT_TRUE(isSwitchOn(on)) << on;
    for (const char* off : {"", "1", "yes", "TRU", " TRUE", "FALSE", "on"}) EXPECT_FALSE(isSwitchOn(off)) << off;
}

TEST(SessionSettingsRules, LanguageByCaseInsensitivePrefix) {
    EXPECT_EQ(languageOf("SimplifiedChinese"), InterfaceLanguage::SimplifiedChinese);
    EXPECT_EQ(languageOf("simplifiedchinese"), InterfaceLanguage::SimplifiedChinese);
    EXPECT_EQ(languageOf("SimplifiedChinese_GBK"), InterfaceLanguage::SimplifiedChinese);
    EXPECT_EQ(languageOf("TraditionalChinese"), InterfaceLanguage::TraditionalChinese);
    EXPECT_EQ(languageOf("TraditionalChinese_TW"), InterfaceLanguage::TraditionalChinese);
    EXPECT_EQ(languageOf("Chinese"), InterfaceLanguage::English);
    EXPECT_EQ(languageOf("SimplifiedChines"), InterfaceLanguage::English);
    EXPECT_EQ(languageOf("English"), InterfaceLanguage::English);
    EXPECT_EQ(languageOf(""), InterfaceLanguage::English);
}

TEST_F(SessionSettings, MissingFileLeavesBothFlagsOff) {
    const std::string missing = path_ + ".absent";
    const SessionFlags flags = readSessionFlags(missing);
    EXPECT_FALSE(flags.convertText);
    EXPECT_FALSE(flags.resetCharset);
    EXPECT_EQ(flags.language, InterfaceLanguage::English);
    EXPECT_FALSE(readResetCharset(missing));
    EXPECT_EQ(readLanguage(missing), "English");
}

TEST_F(SessionSettings, ReadsTheThreeKeys) {
    write("[Settings]\r\nLanguage=TraditionalChinese_TW\r\nConvertText=True\r\nResetCharset=yes\r\n");
    const SessionFlags flags = readSessionFlags(path_);
    EXPECT_TRUE(flags.convertText);
    EXPECT_FALSE(flags.resetCharset);
    EXPECT_EQ(flags.language, InterfaceLanguage::TraditionalChinese);
    EXPECT_EQ(readLanguage(path_), "TraditionalChinese_");  // 19 characters
    EXPECT_EQ(languageOf(readLanguage(path_)), InterfaceLanguage::TraditionalChinese);

    write("[Settings]\nResetCharset=TRUE\n");
    EXPECT_TRUE(readResetCharset(path_));  // read afresh each time
    EXPECT_FALSE(readSessionFlags(path_).convertText);
}

TEST_F(SessionSettings, KeysOutsideTheSectionDoNotCount) {
    write("[Other]\nConvertText=TRUE\nResetCharset=TRUE\n");
    EXPECT_FALSE(readSessionFlags(path_).convertText);
    EXPECT_FALSE(readResetCharset(path_));
}

TEST_F(SessionSettings, OverLongValuesAreCut) {
    // Cut to 9 characters, a switch still begins with TRUE.
    write("[Settings]\nConvertText=TRUEandmuchmore\nResetCharset=xTRUE\nLanguage=SimplifiedChineseWithAVeryLongSuffix\n");
    EXPECT_TRUE(readSessionFlags(path_).convertText);
    EXPECT_FALSE(readSessionFlags(path_).resetCharset);
    EXPECT_EQ(readLanguage(path_), "SimplifiedChineseWi");
    EXPECT_EQ(readLanguage(path_).size(), 19u);
}

TEST_F(SessionSettings, ReadsTheEncodingsNotepadSaves) {
    const std::string text = "[Settings]\r\nConvertText=TRUE\r\nLanguage=SimplifiedChinese\r\n";
    std::string utf16le = "\xFF\xFE", utf16be = "\xFE\xFF";
    for (const char c : text) {
        utf16le += std::string{c, '\0'};
        utf16be += std::string{'\0', c};
    }
    for (const std::string& content : {"\xEF\xBB\xBF" + text, utf16le, utf16be}) {
        write(content);
        const SessionFlags flags = readSessionFlags(path_);
        EXPECT_TRUE(flags.convertText) << content.substr(0, 3);
        EXPECT_EQ(flags.language, InterfaceLanguage::SimplifiedChinese) << content.substr(0, 3);
    }
}
