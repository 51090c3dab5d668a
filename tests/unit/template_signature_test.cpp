// %N, %A, %G{name}, %R and the signature token pass.
#include <cstdlib>

#include "template/signature_html.h"
#include "template_fixture.h"

TEST(SignatureTokens, EveryUnescapedTokenLiterally) {
    std::string text = "%RANDOM-SIGN x %%RANDOM-SIGN %RANDOM-SIGN%RANDOM-SIGN %RANDOM-SIG";
    replaceSignatureTokens(text, "$1\\0$&");
    EXPECT_EQ(text, "$1\\0$& x %%RANDOM-SIGN $1\\0$&$1\\0$& %RANDOM-SIG");
    std::string none = "no token";
    replaceSignatureTokens(none, "S");
    EXPECT_EQ(none, "no token");
}

class Identity : public TemplateFixture {};

TEST_F(Identity, MissingMailboxIniGivesSpaces) {
    EXPECT_EQ(render("[%N][%A]"), "[ ][ ]");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Identity, NameIsConvertedAndAddressEscaped) {
    writeMailboxFile("MailBox.ini",
                     "[Other]\r\nYourName=No\r\n[Account]\r\nYourName=<Bo> \xE5\xBC\xA0\r\nMailAddress=Bo <bo@example.org>\r\n");
    EXPECT_EQ(render("%N|%A"), "<Bo> \xE5\xBC\xA0|Bo &lt;bo@example.org&gt;");
    host().localCodePage = "GBK";
    EXPECT_EQ(render("%N|%A", "UTF-8"), "<Bo> \xD5\xC5|Bo &lt;bo@example.org&gt;");
}

class NamedSignatures : public TemplateFixture {
protected:
    void SetUp() override {
        TemplateFixture::SetUp();
        std::srand(7);
    }
};

TEST_F(NamedSignatures, NameLookupWithDefaultAndTypedSpaces) {
    writeMailboxFile("$$$00000Default.txt", "Default sig");
    writeMailboxFile("$$$00001Work mail.txt", "Work sig");
    EXPECT_EQ(render("%G{}", "US-ASCII"), "<div>Default&nbsp;sig</div><div></div><div></div>");
    EXPECT_EQ(render("%G{work&nbsp;mail}", "US-ASCII"), "<div>Work&nbsp;sig</div><div></div><div></div>");
    EXPECT_EQ(render("%G{work\r\n mail}", "US-ASCII"), "<div>Work&nbsp;sig</div><div></div><div></div>");
    // No file contains the name: the default file stands in.
    EXPECT_EQ(render("%G{nothing}", "US-ASCII"), "<div>Default&nbsp;sig</div><div></div><div></div>");
}

TEST_F(NamedSignatures, WithoutAnyFileThePlaceholderStays) {
    EXPECT_EQ(render("%G{x} %f", "US-ASCII"), "%G{x}  ");
}

TEST_F(NamedSignatures, HtmlSignaturesAreInsertedAsStored) {
    writeMailboxFile("$$$00001html_Work.txt", "<b>Work</b> team");
    EXPECT_EQ(render("%G{Work}", "US-ASCII"), "<b>Work</b> team\r\n\r\n");
    EXPECT_TRUE(session->signatureIsHtml);
}

TEST_F(NamedSignatures, TwoNamesTwoSignaturesAndTheLastStaysCurrent) {
    writeMailboxFile("$$$00001Alpha.txt", "A");
    writeMailboxFile("$$$00002html_Beta.txt", "<i>B</i>");
    EXPECT_EQ(render("%G{alpha}|%G{beta}|%R", "US-ASCII"),
              "<div>A</div><div></div><div></div>|<i>B</i>\r\n\r\n|<i>B</i>\r\n\r\n");
    EXPECT_EQ(session->signatureText, "<i>B</i>\r\n\r\n");
    EXPECT_TRUE(session->signatureIsHtml);
}

TEST_F(NamedSignatures, DollarsAndBackslashesStayLiteral) {
    writeMailboxFile("$$$00000Default.txt", "$1 $& \\1 \\ $$");
    const std::string html = "<div>$1&nbsp;$&&nbsp;\\1&nbsp;\\&nbsp;$$</div><div></div><div></div>";
    EXPECT_EQ(render("%G{}|%R"), html + "|" + html);
}

TEST_F(NamedSignatures, SignatureIsConvertedForTheCharset) {
    host().localCodePage = "GBK";
    writeMailboxFile("$$$00000Default.txt", "\xE5\xBC\xA0");
    EXPECT_EQ(render("%G{}", "UTF-8"), "<div>\xD5\xC5</div><div></div><div></div>");
}

class RandomSignature : public TemplateFixture {
protected:
    void SetUp() override {
        TemplateFixture::SetUp();
        std::srand(11);
    }
};

TEST_F(RandomSignature, FirstRenderingDrawsAndConvertsTheSignature) {
    host().localCodePage = "GBK";
    host().message.charset = "UTF-8";
    writeMailboxFile("$$$00000Default.txt", "\xE5\xBC\xA0 S");
    EXPECT_EQ(render("<p>%R</p>"), "<p><div>\xD5\xC5&nbsp;S</div><div></div><div></div></p>");
    EXPECT_EQ(session->renderedText, "<p>%RANDOM-SIGN</p>");
    EXPECT_EQ(session->signatureText, "\xD5\xC5 S\r\n\r\n");
}

// A session that keeps no rendering (the tool's) renders the same text.
TEST_F(RandomSignature, WithoutTheStoredRenderingTheTextIsTheSame) {
    writeMailboxFile("$$$00000Default.txt", "D");
    for (const char* text : {"plain %m", "<p>%R</p>|%%RANDOM-SIGN %RANDOM-SIGN", "%%RANDOM-SIGN only"}) {
        for (const char* charset : {static_cast<const char*>(nullptr), "UTF-8"}) {
            std::srand(11);
            session->keepsRenderedText = true;
            const std::string kept = render(text, charset);
            std::srand(11);
            session->renderedText.clear();
            session->keepsRenderedText = false;
            EXPECT_EQ(render(text, charset), kept) << text;
            EXPECT_EQ(session->renderedText, "") << text;
        }
    }
}

TEST_F(RandomSignature, DrawnEvenWithoutR) {
    writeMailboxFile("$$$00000Default.txt", "D");
    EXPECT_EQ(render("plain"), "plain");
    EXPECT_EQ(session->signatureText, "D\r\n\r\n");
    EXPECT_EQ(session->renderedText, "plain");
}

TEST_F(RandomSignature, TheRandomPickFollowsTheNamedLookups) {
    writeMailboxFile("$$$00001html_Only.txt", "<u>R</u>");
    // The failed lookup cleared the HTML flag; the random pick sets it again.
    EXPECT_EQ(render("%G{nothing}|%R"), "%G{nothing}|<u>R</u>\r\n\r\n");
    EXPECT_TRUE(session->signatureIsHtml);
}

TEST_F(RandomSignature, ReRenderingKeepsTheCurrentSignature) {
    writeMailboxFile("$$$00000Default.txt", "D");
    session->signatureText = "Kept";
    session->signatureIsHtml = true;
    EXPECT_EQ(render("%R", "UTF-8"), "Kept");
    EXPECT_EQ(session->signatureText, "Kept");
}

TEST_F(RandomSignature, ReRenderingWithAnEmptyNameIsStillAReRendering) {
    writeMailboxFile("$$$00000Default.txt", "D");
    session->signatureText = "Kept";
    session->signatureIsHtml = true;
    EXPECT_EQ(render("%R", ""), "Kept");
    EXPECT_EQ(host().countCalls("BKA_GetCharSet"), 0);
}
