// The placeholder syntax as a whole: "%%", the look-behind, the single pass
// inserting values literally and once, and the loop phases' restarts.
#include <boost/regex.hpp>

#include "template/single_pass.h"
#include "template_fixture.h"

class TemplateSyntax : public TemplateFixture {
protected:
    void SetUp() override {
        TemplateFixture::SetUp();
        setHeader("From", "Ann Lee <ann@example.org>");
        setHeader("Date", "Mon, 1 Jan 2024 10:00:00 +0000");
    }
    static constexpr const char* kFrom = "Ann Lee &lt;ann@example.org&gt;";
};

TEST_F(TemplateSyntax, PercentPairsCollapseAfterEveryPlaceholderWasHandled) {
    EXPECT_EQ(render("%%f"), "%f");
    EXPECT_EQ(render("%%G{x}"), "%G{x}");
    EXPECT_EQ(render("100%% sure"), "100% sure");
    // The pair is consumed first; the search after it cannot look back at it.
    EXPECT_EQ(render("%%%f"), std::string("%") + kFrom);
    EXPECT_EQ(render("%%%%f"), "%%f");
    EXPECT_EQ(render("%q %L{x} %G %"), "%q %L{x} %G %");
}

TEST_F(TemplateSyntax, EmptyValuesBecomeOneSpace) {
    EXPECT_EQ(render("[%t][%i][%I][%s][%S][%N][%A]"), "[ ][ ][ ][ ][ ][ ][ ]");
}

TEST_F(TemplateSyntax, ValuesAreInsertedLiterallyAndNeverRescanned) {
    host().message.headers.clear();
    setHeader("From", "9lives");
    setHeader("Date", "12 $1 $& \\1 ?(a:b) {x} . * ^ + %f");
    setSubject("50%f off %m (?1x)");
    EXPECT_EQ(render("<%d|%a|%f|%s>"), "<12 $1 $& \\1 ?(a:b) {x} . * ^ + %f|9lives|9lives|50%f off %m (?1x)>");
    EXPECT_EQ(render("[%m]", nullptr, "$0 %f %% \\n"), "[$0 %f %% \\n]");
}

TEST_F(TemplateSyntax, NamesAreCaseSensitive) {
    setSubject("Re: Hello");
    EXPECT_EQ(render("%s|%S"), "Re: Hello|Hello");
    // %F is no longer among them: it is the sender's given name now.
    EXPECT_EQ(render("%F %T %M"), "Ann %T %M");
}

TEST_F(TemplateSyntax, PlaceholdersInsideLoopPhaseValuesAreFilledByTheSinglePass) {
    session->attachments.push_back({"/tmp/", "a%d.txt"});
    writeMailboxFile("$$$00001Work.txt", "By %N");
    writeMailboxFile("MailBox.ini", "[Account]\r\nYourName=Bo\r\n");
    EXPECT_EQ(render("%LH{}"), "  aMon, 1 Jan 2024 10:00:00 +0000.txt");
    EXPECT_EQ(render("%G{work}"), "<div>By&nbsp;Bo</div><div></div><div></div>");
}

TEST_F(TemplateSyntax, TypedTokenLosesItsFirstTwoCharactersToR) {
    writeMailboxFile("$$$00000Default.txt", "Sig");
    EXPECT_EQ(render("%RANDOM-SIGN"), "<div>Sig</div><div></div><div></div>ANDOM-SIGN");
}

TEST_F(TemplateSyntax, TokensAreReplacedWhereverTheyStandAfterTheSinglePass) {
    writeMailboxFile("$$$00000Default.txt", "S");
    const std::string html = "<div>S</div><div></div><div></div>";
    EXPECT_EQ(render("%R|%m", nullptr, "a %RANDOM-SIGN b %%RANDOM-SIGN"),
              html + "|a " + html + " b %%RANDOM-SIGN");
    EXPECT_EQ(session->renderedText, "%RANDOM-SIGN|a %RANDOM-SIGN b %%RANDOM-SIGN");
}

TEST_F(TemplateSyntax, ValuesContainingTheirOwnPlaceholderAreExpandedOnce) {
    // Values from a received mail must not make a phase expand forever.
    setHeader("X-Loop", "%h{X-Loop}");
    session->attachments.push_back({"/tmp/", "%LH{}.txt"});
    session->attachments.push_back({"/tmp/", "%LV{}.txt"});
    writeMailboxFile("$$$00001Loop.txt", "%G{Loop}");
    EXPECT_EQ(render("%h{X-Loop}"), "%h{X-Loop}");
    EXPECT_EQ(render("%LH{}"), "  %LH{}.txt,  <br/>(1)%LH{}.txt<br/>(2)%LV{}.txt.txt");
    EXPECT_EQ(render("%G{Loop}"), "<div>%G{Loop}</div><div></div><div></div>");
}

TEST_F(TemplateSyntax, LookBehindSeesTheCharacterBeforeAnOccurrenceAfterAReplacement) {
    // The first replacement ends in "%": the second occurrence is then escaped.
    EXPECT_EQ(render("%CETXT{x%}{y%}%CETXT{a}{b}", "UTF-8"), "y%CETXT{a}{b}");
    // Unfillable %G occurrences stay and the search goes on after each.
    EXPECT_EQ(render("%G{none}%G{other}%%G{x}"), "%G{none}%G{other}%G{x}");
    // The search resumes after inserted text that ends in "%" and still sees it.
    setHeader("X-A", "%h{X-A}%");
    setHeader("Subject", "Hello");
    EXPECT_EQ(render("[%h{X-A}%h{Subject}]"), "[%h{X-A}%h{Subject}]");
}

TEST_F(TemplateSyntax, AReplacementThatCompletesAnEarlierOccurrenceIsFilledToo) {
    // The second occurrence's text opens the braces the first one was missing.
    EXPECT_EQ(render("%CETXT{a}%CETXT{{v}{{v}w}", "UTF-8"), "vw");
    EXPECT_EQ(render("%CETXT{a}%CETXT{x}{}{b}", "UTF-8"), "b");
}

TEST(SinglePassAlternation, FirstRegisteredAlternativeWinsAtAPosition) {
    SinglePass pass;
    pass.registerPlaceholder("A", "x");
    pass.registerPlaceholder("B", "xy");
    pass.registerPlaceholder("C", "z");
    std::string text = "xy zx";
    pass.apply(text);
    EXPECT_EQ(text, "Ay CA");
}

TEST(SinglePassAlternation, GroupsInsideAPatternDoNotShiftTheValues) {
    SinglePass pass;
    pass.registerPlaceholder("first", "(a)(b)");
    pass.registerPlaceholder("second", "c");
    pass.registerPlaceholder("", "d");
    std::string text = "abcd";
    pass.apply(text);
    EXPECT_EQ(text, "firstsecond ");
}

