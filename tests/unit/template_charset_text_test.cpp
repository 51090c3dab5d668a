// %CETXT{a}{b}: the variant for Chinese charsets or for all others.
#include "template_fixture.h"

class CharsetText : public TemplateFixture {};

TEST_F(CharsetText, ChineseGroupGivesTheFirstText) {
    for (const char* name : {"gb2312", "GB18030", "HZ-GB-2312", "big5-hkscs"}) {
        EXPECT_EQ(render("%CETXT{a}{b}", name), "a") << name;
    }
    for (const char* name : {"UTF-8", "UTF-7", "ISO-8859-1", "KOI8-R", ""}) {
        EXPECT_EQ(render("%CETXT{a}{b}", name), "b") << name;
    }
}

TEST_F(CharsetText, OneBracePairIsNotAPlaceholder) {
    EXPECT_EQ(render("%CETXT{a} x", "GB2312"), "%CETXT{a} x");
}

TEST_F(CharsetText, EmptyBracesKeepThePreviousText) {
    EXPECT_EQ(render("%CETXT{a}{b}|%CETXT{}{}|%CETXT{c}{}", "BIG5"), "a|a|c");
    EXPECT_EQ(render("%CETXT{a}{b}|%CETXT{c}{}|%CETXT{}{d}", "UTF-8"), "b|b|d");
    EXPECT_EQ(render("[%CETXT{}{b}]", "GB2312"), "[]");
}

TEST_F(CharsetText, TextsAreInsertedAsWrittenAndFilledLater) {
    setHeader("From", "Ann <ann@example.org>");
    writeMailboxFile("MailBox.ini", "[Account]\r\nYourName=Bo\r\n");
    EXPECT_EQ(render("%CETXT{%N}{%n}", "GB2312"), "Bo");
    EXPECT_EQ(render("%CETXT{%N}{%n}", "UTF-8"), "Ann ");
    EXPECT_EQ(render("%CETXT{&nbsp;<b>}{x}", "GB2312"), "&nbsp;<b>");
    // A Chinese text can open a %G whose brace the template closes.
    writeMailboxFile("$$$00002Work.txt", "W");
    EXPECT_EQ(render("%CETXT{%G{Work}{-}}", "GB2312"), "<div>W</div><div></div><div></div>");
}

TEST_F(CharsetText, FirstRenderingAsksTheHostAndAReRenderingSwitches) {
    host().message.charset = "gb2312";
    EXPECT_EQ(render("%CETXT{a}{b}"), "a");
    EXPECT_EQ(render("%CETXT{a}{b}", "UTF-8"), "b");
    host().message.charset = "iso-8859-1";
    EXPECT_EQ(render("%CETXT{a}{b}"), "b");
}

TEST_F(CharsetText, MetaCharsetIsRewrittenOnlyWhenTheSessionAsks) {
    const std::string tpl = "<META http-equiv=Content-Type content=\"text/html; charset=gb2312\">%CETXT{a}{b}";
    EXPECT_EQ(render(tpl, "UTF-8"), "<META http-equiv=Content-Type content=\"text/html; charset=gb2312\">b");
    session->resetCharset = true;
    EXPECT_EQ(render(tpl, "UTF-8"), "<META http-equiv=Content-Type content=\"text/html; charset=UTF-8\">b");
    host().message.charset = "BIG5";
    EXPECT_EQ(render(tpl), "<META http-equiv=Content-Type content=\"text/html; charset=BIG5\">a");
}
