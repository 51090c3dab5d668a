// %f %n %a %t %d %i %I %s %S and the operations behind them.
#include "template/header_placeholders.h"
#include "template_fixture.h"

TEST(SplitAddress, NameAndAddressOfTheUsualForms) {
    auto split = splitAddress("Ann Lee <ann@example.org>");
    EXPECT_EQ(split.displayName, "Ann Lee ");
    EXPECT_EQ(split.address, "ann@example.org");

    split = splitAddress("ann@example.org");
    EXPECT_EQ(split.displayName, "");
    EXPECT_EQ(split.address, "ann@example.org");

    split = splitAddress("<ann@example.org>");
    EXPECT_EQ(split.displayName, "");
    EXPECT_EQ(split.address, "ann@example.org");
}

TEST(SplitAddress, UnusualFormsFollowThePatterns) {
    // No ">" after the "<": all address, unescaped.
    auto split = splitAddress("Ann <ann@example.org");
    EXPECT_EQ(split.displayName, "");
    EXPECT_EQ(split.address, "Ann <ann@example.org");
    // The address runs from the first "<" to the last ">"; the name ends at
    // the last "<" before the first ">".
    split = splitAddress("\"A<B\" <x@y>");
    EXPECT_EQ(split.address, "B\" &lt;x@y");
    EXPECT_EQ(split.displayName, "\"A&lt;B\" ");
    // A long run of "<" without ">" (it once made matching give up, and the
    // reply with it) is all address too.
    const std::string opened = std::string(20000, '<') + "x";
    split = splitAddress(opened);
    EXPECT_EQ(split.displayName, "");
    EXPECT_EQ(split.address, opened);
}

TEST(StripReplyPrefix, RemovesOneLeadingReOnly) {
    EXPECT_EQ(stripReplyPrefix("Re: Re: Hi"), "Re: Hi");
    EXPECT_EQ(stripReplyPrefix("  Re:   Hi"), "Hi");
    EXPECT_EQ(stripReplyPrefix("RE: Hi"), "RE: Hi");
    EXPECT_EQ(stripReplyPrefix("Fw: Hi"), "Fw: Hi");
    EXPECT_EQ(stripReplyPrefix("Hi Re: there"), "Hi Re: there");
    EXPECT_EQ(stripReplyPrefix("Hi\nRe: there"), "Hi\nthere");
}

class HeaderPlaceholders : public TemplateFixture {};

TEST_F(HeaderPlaceholders, FromGivesEscapedWholeValueNameAndAddress) {
    setHeader("From", "Ann Lee <ann@example.org>");
    EXPECT_EQ(render("%f|%n|%a"), "Ann Lee &lt;ann@example.org&gt;|Ann Lee |ann@example.org");
    host().message.headers = {{"From", "ann@example.org"}};
    EXPECT_EQ(render("%f|%n|%a"), "ann@example.org| |ann@example.org");
    host().message.headers = {{"From", "<ann@example.org>"}};
    EXPECT_EQ(render("[%n]"), "[ ]");
}

TEST_F(HeaderPlaceholders, MessageIdEscapedAndTrimmed) {
    setHeader("Message-Id", "<abc.123@example.org>");
    EXPECT_EQ(render("%i|%I"), "&lt;abc.123@example.org&gt;|abc.123@example.org");
}

TEST_F(HeaderPlaceholders, SubjectComesFromTheComposeWindow) {
    setHeader("Subject", "from the message");
    setSubject("Re: Re: Plans");
    EXPECT_EQ(render("%s|%S"), "Re: Re: Plans|Re: Plans");
}

TEST_F(HeaderPlaceholders, DateAndSubjectAreInsertedAsMarkup) {
    setHeader("Date", "<b>Monday</b>");
    setSubject("<i>hi</i>");
    setHeader("To", "<x@y>");
    EXPECT_EQ(render("%d|%s|%t"), "<b>Monday</b>|<i>hi</i>|&lt;x@y&gt;");
}

TEST_F(HeaderPlaceholders, AnAbsentHeaderIsEmptyNotThePreviousValue) {
    setHeader("From", "ann@example.org");
    setHeader("Message-Id", "<id@x>");
    // To and Date are absent; the host leaves the shared buffer untouched.
    EXPECT_EQ(render("[%t][%d][%i]"), "[ ][ ][&lt;id@x&gt;]");
}

TEST_F(HeaderPlaceholders, DateIsFetchedWithItsSmallerCapacity) {
    setHeader("Date", std::string(2000, 'd'));
    setHeader("To", std::string(40000, 't'));
    EXPECT_EQ(render("%d"), std::string(1023, 'd'));
    EXPECT_EQ(render("%t"), std::string(32766, 't'));
}

TEST_F(HeaderPlaceholders, OnlyFromToAndSubjectAreConvertedUnderUtf8) {
    // The host shows GBK; the message's headers are UTF-8 text.
    host().localCodePage = "GBK";
    host().message.charset = "UTF-8";
    const std::string zhangSanUtf8 = "\xE5\xBC\xA0\xE4\xB8\x89";
    const std::string zhangSanGbk = "\xD5\xC5\xC8\xFD";
    setHeader("From", zhangSanUtf8 + " <z@example.org>");
    setHeader("To", zhangSanUtf8);
    setHeader("Date", zhangSanUtf8);
    setHeader("Message-Id", "<" + zhangSanUtf8 + ">");
    setSubject("Re: " + zhangSanUtf8);
    EXPECT_EQ(render("%f|%t|%s|%S"),
              zhangSanGbk + " &lt;z@example.org&gt;|" + zhangSanGbk + "|Re: " + zhangSanGbk + "|" + zhangSanGbk);
    EXPECT_EQ(render("%n|%a|%d|%i|%I"), zhangSanUtf8 + " |z@example.org|" + zhangSanUtf8 + "|&lt;" + zhangSanUtf8 +
                                             "&gt;|" + zhangSanUtf8);
}

TEST_F(HeaderPlaceholders, ChineseCharsetsUseTheHostTextsUnconverted) {
    host().localCodePage = "GBK";
    host().message.charset = "GB2312";
    const std::string gbk = "\xD5\xC5\xC8\xFD";
    setHeader("From", gbk);
    setSubject(gbk);
    EXPECT_EQ(render("%f|%s"), gbk + "|" + gbk);
    EXPECT_EQ(host().countCalls("BKA_UTF_8"), 0);
}
