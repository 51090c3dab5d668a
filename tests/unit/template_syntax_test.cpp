// The placeholder syntax as a whole: "%%", the look-behind, the single pass
// inserting values literally and once, and the loop phases' restarts.
#include <iterator>
#include <random>

#include <boost/regex.hpp>

#include "template/loop_phase.h"
#include "template/placeholder_pattern.h"
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
    // Or it follows a bare name, or part of one, that it completes.
    setHeader("X-Brace", "{Subject}");
    setHeader("Subject", "Site visit");
    session->attachments.push_back({"/tmp/", "a.pdf"});
    EXPECT_EQ(render("[%h%h{X-Brace}]"), "[Site visit]");
    EXPECT_EQ(render("[%h%h{X-Missing}{Subject}]"), "[Site visit]");
    EXPECT_EQ(render("[%CETXT%CETXT{}{}{a}{b}]", "UTF-8"), "[b]");
    EXPECT_EQ(render("[%CE%CETXT{q}{TXT{x}}{y}]", "UTF-8"), "[y]");
    EXPECT_EQ(render("[%L%LH{H{x}}]"), "[x a.pdf a.pdf]");
}

namespace {

constexpr char kInsertedMark = 1;
constexpr char kHandledMark = 2;

// The loop phase as written down: every search starts at the beginning of
// the text as it stands and tries each position in turn. Occurrences that
// begin in what the phase inserted or left, or (when asked) in what earlier
// phases inserted, are passed over.
void searchFromTheStart(std::string& text, InsertedText& inserted, EarlierInsertions earlier,
                        const boost::regex& pattern, const OccurrenceReplacer& replacementFor) {
    std::string& marks = inserted.marks;
    if (marks.size() != text.size()) marks.assign(text.size(), 0);
    const char passedOver = earlier == EarlierInsertions::LeftAlone ? kInsertedMark | kHandledMark : kHandledMark;
    for (;;) {
        boost::smatch occurrence;
        std::size_t at = 0;
        for (; at < text.size(); ++at) {
            if ((marks[at] & passedOver) != 0) continue;
            const auto flags = boost::match_continuous | (at > 0 ? boost::match_prev_avail : boost::match_default);
            if (boost::regex_search(text.cbegin() + static_cast<std::ptrdiff_t>(at), text.cend(), occurrence, pattern,
                                    flags, text.cbegin())) {
                break;
            }
        }
        if (at == text.size()) break;
        const std::size_t length = static_cast<std::size_t>(occurrence.length(0));
        if (const std::optional<std::string> value = replacementFor(occurrence)) {
            text.replace(at, length, *value);
            marks.replace(at, length, std::string(value->size(), kInsertedMark | kHandledMark));
        } else {
            for (std::size_t i = at; i < at + length; ++i) marks[i] |= kHandledMark;
        }
    }
    for (char& mark : marks) mark &= kInsertedMark;
}

}  // namespace

TEST(LoopPhaseSearch, GivesWhatASearchFromTheStartGives) {
    const struct {
        std::string name;
        boost::regex pattern;
        int braceGroups;
    } phases[] = {
        {"CETXT", boost::regex(placeholderPattern("CETXT[{]([^}]*)[}][{]([^}]*)[}]")), 2},
        {"h", boost::regex(placeholderPattern("h[{](\"[^}\"]*\"){0,1}([^}]*)[}]")), 1},
        {"G", boost::regex(placeholderPattern("G[{]([^}]*)[}]")), 1},
        {"LH", boost::regex(placeholderPattern("LH[{]([^}]*)[}]")), 1},
    };
    std::mt19937 random(22);
    const auto pick = [](std::mt19937& from, std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(from);
    };
    constexpr int kCases = 10000;
    int replaced = 0;
    for (int i = 0; i < kCases; ++i) {
        const auto& phase = phases[pick(random, std::size(phases))];
        // Templates and values made of the name, parts of it, braces and
        // percent signs, so that replacements complete occurrences.
        const std::string whole = "%" + phase.name;
        const std::string occurrence = whole + (phase.braceGroups == 2 ? "{a}{b}" : "{a}");
        std::vector<std::string> fragments = {occurrence, whole, "}", "}{", "%", "%%", "x", "\"p", "%D{"};
        std::vector<std::string> continuations = {"{", "{a}", "{a}{b}", "{a}{"};
        for (std::size_t length = 1; length < phase.name.size(); ++length) {
            fragments.push_back(whole.substr(0, length + 1));
            continuations.push_back(phase.name.substr(length));
            continuations.push_back(phase.name.substr(length) + "{");
        }
        // A value begins, more often than not, with what continues a name or
        // opens a group.
        const auto joined = [&](std::mt19937& from, std::size_t most) {
            std::string text;
            if (pick(from, 3) != 0) text = continuations[pick(from, continuations.size())];
            for (std::size_t n = pick(from, most + 1); n > 0; --n) {
                text += pick(from, 2) == 0 ? fragments[pick(from, fragments.size())]
                                           : continuations[pick(from, continuations.size())];
            }
            return text;
        };
        std::string original;
        for (std::size_t n = pick(random, 9); n > 0; --n) {
            const std::size_t kind = pick(random, 3);
            original += kind == 0 ? occurrence
                        : kind == 1 ? fragments[pick(random, fragments.size())]
                                    : continuations[pick(random, continuations.size())];
        }
        const EarlierInsertions earlier = pick(random, 2) == 0 ? EarlierInsertions::Searched : EarlierInsertions::LeftAlone;
        InsertedText before;
        for (std::size_t at = 0; at < original.size(); ++at) before.marks += static_cast<char>(pick(random, 8) == 0);
        // The value depends on the occurrence alone; one in seven is left, one
        // in four of the others is empty.
        const auto replacer = [&](std::vector<std::string>& calls) {
            return [&](const boost::smatch& occurrence) -> std::optional<std::string> {
                calls.push_back(occurrence.str());
                std::seed_seq seed(occurrence[0].first, occurrence[0].second);
                std::mt19937 from(seed);
                if (from() % 7 == 0) return std::nullopt;
                return from() % 4 == 0 ? std::string() : joined(from, 3);
            };
        };
        std::string expected = original;
        InsertedText expectedMarks = before;
        std::vector<std::string> expectedCalls;
        searchFromTheStart(expected, expectedMarks, earlier, phase.pattern, replacer(expectedCalls));
        std::string text = original;
        InsertedText marks = before;
        std::vector<std::string> calls;
        runLoopPhase(text, marks, earlier, phase.pattern, phase.braceGroups, RenderStage::CharsetText,
                     replacer(calls));
        ASSERT_EQ(text, expected) << original << " with " << phase.pattern.str();
        ASSERT_EQ(marks.marks, expectedMarks.marks) << original;
        ASSERT_EQ(calls, expectedCalls) << original;
        replaced += calls.size() > 1;
    }
    EXPECT_GT(replaced, kCases / 4);
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


// A taken value gives the text a borrowed one gives; its memory becomes the
// text's only where it is inserted once and has room for the whole text.
TEST(SinglePassAlternation, ATakenValueRendersAsABorrowedOneAndIsTakenOnlyWhereItFits) {
    const std::string body(200, 'b');
    struct Case {
        const char* text;
        std::size_t room;
        bool taken;
    };
    const Case cases[] = {
        {"<p>%m</p> %t", 64, true},   {"%m", 0, true},          {"%m tail", 64, true},
        {"head %m", 64, true},        {"%m and %m", 1024, false}, {"no body here", 64, false},
        {"<p>%m</p> %t", 3, false},   {"%[fallback]x %m", 64, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto registerOthers = [](SinglePass& pass) {
            pass.registerPlaceholder("TITLE", "%t");
            pass.registerPlaceholderWithFallback("", "%\\[([^\\]]*)\\]x");
        };
        SinglePass borrowing;
        registerOthers(borrowing);
        borrowing.registerBorrowedPlaceholder(body, "%m");
        std::string expected = c.text;
        borrowing.apply(expected);

        std::string value;
        value.reserve(body.size() + c.room);
        value = body;
        const char* memory = value.data();
        SinglePass taking;
        registerOthers(taking);
        taking.registerTakenPlaceholder(value, "%m");
        std::string text = c.text;
        taking.apply(text);
        EXPECT_EQ(text, expected);
        EXPECT_EQ(text.data() == memory, c.taken);
        EXPECT_EQ(value.empty(), c.taken);
        if (!c.taken) {
            EXPECT_EQ(value, body);
        }
    }
}
