#include <gtest/gtest.h>

#include "text/html_text.h"
#include "text/no_case.h"

TEST(SharedHelpers, ContainsNoCaseFindsWordsInAnyCase) {
    EXPECT_EQ(containsNoCase("Mail!!!DRAFT", "!!!Draft"), 4u);
    EXPECT_EQ(containsNoCase("Inbox", "!!!Draft"), std::string::npos);
    EXPECT_EQ(containsNoCase("abc", ""), 0u);
}

TEST(SharedHelpers, HtmlEscapeAnglesTouchesOnlyAngles) {
    EXPECT_EQ(htmlEscapeAngles("a<b>&\"c"), "a&lt;b&gt;&\"c");
}

TEST(TextToHtml, SpacesAndLineEndsOnly) {
    EXPECT_EQ(textToHtml("Best regards\r\nAnn"), "<div>Best&nbsp;regards</div><div>Ann</div>");
    EXPECT_EQ(textToHtml("A\r\n\r\n"), "<div>A</div><div></div><div></div>");
    EXPECT_EQ(textToHtml("<b>&amp;\n\r"), "<div><b>&amp;\n\r</div>");
    EXPECT_EQ(textToHtml(""), "<div></div>");
}
