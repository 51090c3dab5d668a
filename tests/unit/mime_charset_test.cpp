#include <gtest/gtest.h>

#include <boost/regex.hpp>
#include <string>

#include "mime/charset.h"
#include "tools/hostsim/sim_host.h"

namespace {

class MimeCharset : public ::testing::Test {
protected:
    void SetUp() override {
        hostsim::simHost().reset();
        hostsim::installSimulatedHost();
    }
    void TearDown() override {
        EXPECT_EQ(hostsim::simHost().outstandingBlocks(), 0u);
        EXPECT_EQ(hostsim::simHost().invalidFrees(), 0u);
    }
};

}  // namespace

TEST(MimeCharsetCodes, PrefixesInTableOrder) {
    EXPECT_EQ(charsetCodeOf("gb2312"), kCharsetGB2312);
    EXPECT_EQ(charsetCodeOf("GB2312-80"), kCharsetGB2312);
    EXPECT_EQ(charsetCodeOf("GB2312"), kCharsetGB2312);
    EXPECT_EQ(charsetCodeOf("GB18030"), kCharsetGB18030);
    EXPECT_EQ(charsetCodeOf("HZ-GB-2312"), kCharsetHzGb2312);
    EXPECT_EQ(charsetCodeOf("utf-8"), kCharsetUtf8);
    EXPECT_EQ(charsetCodeOf("UTF-7"), kCharsetUtf7);
    EXPECT_EQ(charsetCodeOf("big5"), kCharsetBig5);
    EXPECT_EQ(charsetCodeOf("BIG5-HKSCS"), kCharsetBig5);
    EXPECT_EQ(charsetCodeOf("ISO-8859-1"), kCharsetOther);
    EXPECT_EQ(charsetCodeOf("US-ASCII"), kCharsetOther);
    EXPECT_EQ(charsetCodeOf(""), kCharsetOther);
    EXPECT_EQ(charsetCodeOf("GB231"), kCharsetOther);
    EXPECT_EQ(charsetCodeOf("UTF8"), kCharsetOther);
    EXPECT_EQ(charsetCodeOf("GBK"), kCharsetOther);
}

TEST(MimeCharsetCodes, ChineseGroup) {
    for (CharsetCode code : {kCharsetGB2312, kCharsetGB18030, kCharsetHzGb2312, kCharsetBig5}) {
        EXPECT_TRUE(isChineseCharset(code)) << code;
    }
    for (CharsetCode code : {kCharsetOther, kCharsetUtf8, kCharsetUtf7}) EXPECT_FALSE(isChineseCharset(code)) << code;
}

TEST_F(MimeCharset, AutomaticChoiceAsksTheHostWithATwentyByteBlock) {
    hostsim::simHost().message.charset = "big5";
    const ResolvedCharset resolved = resolveCharset(nullptr);
    EXPECT_EQ(resolved.name, "big5");
    EXPECT_EQ(resolved.code, kCharsetBig5);
    EXPECT_EQ(hostsim::simHost().countCalls("BKA_GetCharSet"), 1);
    EXPECT_EQ(hostsim::simHost().countCalls("BKA_Alloc"), 1);
    EXPECT_EQ(hostsim::simHost().countCalls("BKA_Free"), 1);
}

TEST_F(MimeCharset, AutomaticChoiceWithoutAnAnswer) {
    hostsim::simHost().message.charset = "";
    const ResolvedCharset resolved = resolveCharset(nullptr);
    EXPECT_EQ(resolved.name, "");
    EXPECT_EQ(resolved.code, kCharsetOther);
}

TEST_F(MimeCharset, GivenNamesAreCutToNineteenCharacters) {
    EXPECT_EQ(resolveCharset("UTF-8").code, kCharsetUtf8);
    EXPECT_EQ(hostsim::simHost().countCalls("BKA_GetCharSet"), 0);
    const ResolvedCharset longName = resolveCharset("GB2312-with-a-very-long-suffix");
    EXPECT_EQ(longName.name, "GB2312-with-a-very-");
    EXPECT_EQ(longName.code, kCharsetGB2312);
    hostsim::simHost().message.charset = "ISO-8859-15-and-then-some";
    EXPECT_EQ(resolveCharset(nullptr).name, "ISO-8859-15-and-the");
}

TEST_F(MimeCharset, ConvertsUtf8AndUtf7ThroughTheHost) {
    hostsim::simHost().localCodePage = "GBK";
    EXPECT_EQ(convertFromCharset("\xE4\xB8\xAD\xE6\x96\x87", kCharsetUtf8), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(convertFromCharset("+Ti1lhw-", kCharsetUtf7), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(hostsim::simHost().countCalls("BKA_UTF_8"), 1);
    EXPECT_EQ(hostsim::simHost().countCalls("BKA_UTF_7"), 1);

    hostsim::simHost().localCodePage = "UTF-8";
    EXPECT_EQ(convertFromCharset("+ZeVnLIqe-", kCharsetUtf7), "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
}

TEST_F(MimeCharset, OtherCodesLeaveTextAlone) {
    hostsim::simHost().localCodePage = "GBK";
    for (CharsetCode code : {kCharsetOther, kCharsetGB2312, kCharsetGB18030, kCharsetHzGb2312, kCharsetBig5}) {
        EXPECT_EQ(convertFromCharset("\xE4\xB8\xAD", code), "\xE4\xB8\xAD");
    }
    EXPECT_EQ(hostsim::simHost().countCalls("BKA_UTF_8") + hostsim::simHost().countCalls("BKA_UTF_7"), 0);
}

TEST_F(MimeCharset, ResultIsCopiedBeforeTheHostReusesIt) {
    hostsim::simHost().localCodePage = "GBK";
    const std::string first = convertFromCharset("\xE4\xB8\xAD", kCharsetUtf8);
    const std::string second = convertFromCharset("\xE6\x96\x87", kCharsetUtf8);
    EXPECT_EQ(first, "\xD6\xD0");
    EXPECT_EQ(second, "\xCE\xC4");
}

TEST(MimeCharsetMeta, ReplacesOnlyTheDeclaredName) {
    std::string html =
        "<html><head><META http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\"></head></html>";
    rewriteMetaCharset(html, "UTF-8");
    EXPECT_EQ(html, "<html><head><META http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\"></head></html>");
}

TEST(MimeCharsetMeta, LowerCaseTagIsFound) {
    std::string html = "<meta http-equiv=Content-Type CONTENT=\"text/html; Charset=big5\">";
    rewriteMetaCharset(html, "GB2312");
    EXPECT_EQ(html, "<meta http-equiv=Content-Type CONTENT=\"text/html; Charset=GB2312\">");
    std::string spaced = "< \tmeta content=text/html;charset=iso-8859-1>";
    rewriteMetaCharset(spaced, "UTF-8");
    EXPECT_EQ(spaced, "< \tmeta content=text/html;charset=UTF-8>");
}

TEST(MimeCharsetMeta, QuoteAfterTheValueIsKept) {
    std::string html = "<META content=\"text/html; charset=gb2312\" http-equiv=\"Content-Type\">";
    rewriteMetaCharset(html, "big5");
    EXPECT_EQ(html, "<META content=\"text/html; charset=big5\" http-equiv=\"Content-Type\">");
}

TEST(MimeCharsetMeta, EmptyValueOrNoTagLeavesTheText) {
    const std::string emptyValue = "<META content=\"text/html; charset=\">";
    std::string html = emptyValue;
    rewriteMetaCharset(html, "UTF-8");
    EXPECT_EQ(html, emptyValue);

    const std::string noTag = "<p>charset=gb2312</p><META name=x>";
    html = noTag;
    rewriteMetaCharset(html, "UTF-8");
    EXPECT_EQ(html, noTag);

    // "META" must be followed by a space.
    const std::string noSpace = "<META\tcontent=\"text/html; charset=gb2312\">";
    html = noSpace;
    rewriteMetaCharset(html, "UTF-8");
    EXPECT_EQ(html, noSpace);
}

TEST(MimeCharsetMeta, OnlyTheFirstMatchingTagChanges) {
    std::string html =
        "<meta name=\"author\" content=\"x\">"
        "<meta content=\"text/html; charset=gb2312\">"
        "<meta content=\"text/html; charset=big5\">";
    rewriteMetaCharset(html, "UTF-8");
    EXPECT_EQ(html,
              "<meta name=\"author\" content=\"x\">"
              "<meta content=\"text/html; charset=UTF-8\">"
              "<meta content=\"text/html; charset=big5\">");
}
