#include <gtest/gtest.h>

#include "cli_run.h"
#include "tools/torvane/template_check.h"

using torvane::checkTemplateHtml;

namespace {

std::vector<std::string> texts(const std::vector<torvane::TemplateFinding>& findings) {
    std::vector<std::string> result;
    for (const auto& finding : findings) result.push_back(finding.text);
    return result;
}

}  // namespace

TEST(TemplateCheck, ListsEveryPlaceholderFamilyWithItsLine) {
    const auto check = checkTemplateHtml(
        "<p>%f %n %a</p>\n<p>%CETXT{zh}{en} %G{Work} %LH{Files:}</p>\n"
        "<p>%LV{} %h{\"x\"Cc} %R %m %S %D{d 'of' MMM}</p>\n"
        "<p>%D{%CETXT{M'\xE6\x9C\x88'}{MMM}} %LH{<b>%CETXT{zh}{en}</b>}</p>\n<p>Hi %F, %F{there} %F{%CETXT{a}{b}}</p>");
    EXPECT_EQ(texts(check.placeholders),
              (std::vector<std::string>{"%f", "%n", "%a", "%CETXT{zh}{en}", "%G{Work}", "%LH{Files:}", "%LV{}",
                                        "%h{\"x\"Cc}", "%R", "%m", "%S", "%D{d 'of' MMM}",
                                        "%D{%CETXT{M'\xE6\x9C\x88'}{MMM}}", "%LH{<b>%CETXT{zh}{en}</b>}", "%F",
                                        "%F{there}", "%F{%CETXT{a}{b}}"}));
    EXPECT_EQ(check.placeholders[0].line, 1);
    EXPECT_EQ(check.placeholders[3].line, 2);
    EXPECT_EQ(check.placeholders[10].line, 3);
    EXPECT_TRUE(check.warnings.empty());
}

TEST(TemplateCheck, WarnsAboutTextsThatLookLikeMistypedPlaceholders) {
    const auto check =
        checkTemplateHtml("%x\n%CETXT{only one}\n%G{unclosed\n%%f\n%LH\n%G alone\n%D{HH 'h' mm 'o''clock}\n"
                          "%D{%CETXT{H'h}{h}}\n%CETXT{%CETXT{a}{b}}{c}\n%%F");
    ASSERT_EQ(check.warnings.size(), 10u);
    EXPECT_NE(check.warnings[0].note.find("unknown placeholder"), std::string::npos);
    EXPECT_NE(check.warnings[1].note.find("two pairs of braces"), std::string::npos);
    EXPECT_NE(check.warnings[2].note.find("unbalanced"), std::string::npos);
    EXPECT_NE(check.warnings[3].note.find("literal text '%f'"), std::string::npos);
    EXPECT_NE(check.warnings[4].note.find("needs braces"), std::string::npos);
    EXPECT_EQ(check.warnings[5].line, 6);
    EXPECT_EQ(check.warnings[6].text, "%D{HH 'h' mm 'o''clock}");
    EXPECT_NE(check.warnings[6].note.find("quote that nothing closes"), std::string::npos);
    // A quote left open in one language's pattern; a %CETXT cannot hold another.
    EXPECT_NE(check.warnings[7].note.find("quote that nothing closes"), std::string::npos);
    EXPECT_NE(check.warnings[8].note.find("unbalanced"), std::string::npos);
    EXPECT_NE(check.warnings[9].note.find("literal text '%F'"), std::string::npos);
    EXPECT_EQ(texts(check.placeholders),
              (std::vector<std::string>{"%D{HH 'h' mm 'o''clock}", "%D{%CETXT{H'h}{h}}", "%CETXT{a}{b}"}));
}

TEST(TemplateCheck, LeavesOrdinaryPercentSignsAlone) {
    const auto check = checkTemplateHtml(
        "<td width=\"100%\">50% off</td><a href=\"http://x/a%20b%E2%80%99%D0%B0%F0%9F%98%80\">link</a> 100%% sure");
    EXPECT_TRUE(check.warnings.empty());
    EXPECT_TRUE(check.placeholders.empty());
}

TEST(TemplateCheck, FindsTheTextElementInAnyQuoting) {
    EXPECT_TRUE(checkTemplateHtml("<div id=\"torvane_text_id\">x</div>").hasTextElement);
    EXPECT_TRUE(checkTemplateHtml("<div ID='torvane_text_id'>x</div>").hasTextElement);
    EXPECT_TRUE(checkTemplateHtml("<div id=torvane_text_id>x</div>").hasTextElement);
    EXPECT_FALSE(checkTemplateHtml("<div id=\"torvane_text_id2\">x</div>").hasTextElement);
    EXPECT_FALSE(checkTemplateHtml("<div class=\"torvane_text_id\">x</div>").hasTextElement);
}

TEST(CliCheck, ListsEveryPlaceholderTheRendererKnows) {
    const CliRun run = runTorvane("check --list");
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* name : {"%f ", "%n ", "%a ", "%F{", "%t ", "%d ", "%D{", "%i ", "%I ", "%s ", "%S ", "%h{", "%m ", "%LH{",
                             "%LV{", "%N ", "%A ", "%G{", "%R ", "%CETXT{", "%% "}) {
        EXPECT_NE(run.out.find(std::string("\n  ") + name), std::string::npos) << name;
    }
}
