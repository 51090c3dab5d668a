#include <gtest/gtest.h>

#include "text/no_case.h"
#include "text/html_text.h"

TEST(SharedHelpers, ContainsNoCaseFindsWordsInAnyCase) {
    EXPECT_EQ(containsNoCase("Mail!!!DRAFT", "!!!Draft"), 4u);
    EXPECT_EQ(containsNoCase("Inbox", "!!!Draft"), std::string::npos);
    EXPECT_EQ(containsNoCase("abc", ""), 0u);
}

TEST(SharedHelpers, HtmlEscapeAnglesTouchesOnlyAngles) {
    EXPECT_EQ(htmlEscapeAngles("a<b>&\"c"), "a&lt;b&gt;&\"c");
}
