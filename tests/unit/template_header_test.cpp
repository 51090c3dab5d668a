// %f %n %a %F %t %d %i %I %s %S and the operations behind them.
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
    EXPECT_EQ(render("%f|%t|%s|%S|%F"), zhangSanGbk + " &lt;z@example.org&gt;|" + zhangSanGbk + "|Re: " + zhangSanGbk +
                                             "|" + zhangSanGbk + "|" + zhangSanGbk);
    EXPECT_EQ(render("%n|%a|%d|%i|%I"), zhangSanUtf8 + " |z@example.org|" + zhangSanUtf8 + "|&lt;" + zhangSanUtf8 +
                                             "&gt;|" + zhangSanUtf8);
}

TEST_F(HeaderPlaceholders, ChineseCharsetsUseTheHostTextsUnconverted) {
    host().localCodePage = "GBK";
    host().message.charset = "GB2312";
    const std::string gbk = "\xD5\xC5\xC8\xFD";
    setHeader("From", gbk);
    setSubject(gbk);
    EXPECT_EQ(render("%f|%s|%F"), gbk + "|" + gbk + "|" + gbk);
    // A GBK name decoded by the host: whole, as written.
    host().message.headers = {{"From", "=?GB2312?B?wO7D9w==?= <liming@example.cn>"}};
    EXPECT_EQ(render("Hi %F,"), "Hi \xC0\xEE\xC3\xF7,");
    EXPECT_EQ(host().countCalls("BKA_UTF_8"), 0);
}

// From headers as real mail writes them, and the given name %F makes of
// them; "there" is the fallback of %F{there}. The host hands these texts out
// as they stand (encoded words left for the plug-in to have decoded).
TEST_F(HeaderPlaceholders, FirstNameOfRealFromHeaders) {
    const struct {
        const char* from;  // null: no From header
        const char* expected;
    } cases[] = {
        {"Alex Moreno <alex@example.com>", "Alex"},
        {"\"Alex Moreno\" <alex@example.com>", "Alex"},
        {"\"Moreno, Alex\" <alex@example.com>", "Alex"},
        {"Moreno, Alex <alex@example.com>", "Alex"},
        {"\"Dr. Alex Moreno\" <alex@example.com>", "Alex"},
        {"prof alex moreno <alex@example.com>", "Alex"},
        {"\"MR ALEX MORENO\" <alex@example.com>", "Alex"},
        {"\"ALEX MORENO (Sales)\" <alex@example.com>", "Alex"},
        {"Alex Moreno (Sales) <alex@example.com>", "Alex"},
        {"\"Alex Moreno via Site Team\" <team@lists.example.org>", "Alex"},
        {"'Alex Moreno' <alex@example.com>", "Alex"},
        {"\"Alex \\\"AJ\\\" Moreno\" <alex@example.com>", "Alex"},
        {"\"Alex Moreno, PhD\" <alex@example.com>", "Alex"},
        {"\"Dr. Moreno\" <moreno@example.com>", "Dr. Moreno"},
        {"DeShawn McKay <deshawn@example.com>", "DeShawn"},
        {"\"JEAN-PAUL DUPONT\" <jp@example.fr>", "Jean-Paul"},
        {"=?UTF-8?Q?de_la_Cruz=2C_Mar=C3=ADa?= <maria@example.es>", "Mar\xC3\xAD" "a"},
        {"=?ISO-8859-1?Q?Jos=E9_Garc=EDa?= <jose@example.es>", "Jos\xC3\xA9"},
        {"=?ISO-8859-1?Q?JOS=C9_GARC=CDA?= <jose@example.es>", "Jos\xC3\xA9"},
        {"=?UTF-8?B?5byg5LiJ?= <zhang@example.cn>", "\xE5\xBC\xA0\xE4\xB8\x89"},
        {"=?GB2312?B?wO7D9w==?= <liming@example.cn>", "\xE6\x9D\x8E\xE6\x98\x8E"},
        {"\xE5\xB1\xB1\xE7\x94\xB0 \xE5\xA4\xAA\xE9\x83\x8E <taro@example.jp>",
         "\xE5\xB1\xB1\xE7\x94\xB0 \xE5\xA4\xAA\xE9\x83\x8E"},
        {"alex.moreno@example.com", "Alex"},
        {"<amoreno@example.com>", "Amoreno"},
        {"\"\" <alex_moreno+lists@example.com>", "Alex"},
        {"\"alex@example.com\" <alex@example.com>", "Alex"},
        {"alex@example.com (Alex Moreno)", "Alex"},
        {"noreply@example.com", "there"},
        {"No-Reply <no-reply@example.com>", "there"},
        {"\"Support Team\" <support@example.com>", "there"},
        {"<12345@example.com>", "there"},
        {"Site Team: alex.moreno@example.com, bob@example.com;", "Alex"},
        {"undisclosed-recipients:;", "there"},
        {"bob@example.com, Alex Moreno <alex@example.com>", "Bob"},
        {"\"Tom & Jerry <b>\" <tj@example.com>", "Tom"},
        {"\"<b>Tom&Jerry</b>\" <tj@example.com>", "&lt;b&gt;Tom&amp;Jerry&lt;/b&gt;"},
        {nullptr, "there"},
    };
    for (const auto& row : cases) {
        host().message.headers.clear();
        if (row.from) setHeader("From", row.from);
        EXPECT_EQ(render("%F{there}"), row.expected) << (row.from ? row.from : "(no From)");
    }
}

TEST_F(HeaderPlaceholders, FirstNameFallbackLiteralsAndLinks) {
    EXPECT_EQ(render("[%F][%F{}][%F{<i>friend</i>}]"), "[ ][ ][<i>friend</i>]");
    setHeader("From", "Alex Moreno <alex@example.com>");
    // %%F is literal; "%F0" is a link's escape, not the placeholder.
    EXPECT_EQ(render("Hi %F, %F{x} %%F %%%F <a href=\"/%F0%9F\">%Fred</a>"),
              "Hi Alex, Alex %F %Alex <a href=\"/%F0%9F\">Alexred</a>");
}
