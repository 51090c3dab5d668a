#include <gtest/gtest.h>

#include "platform/find_byte.h"
#include "text/html_text.h"
#include "text/no_case.h"

TEST(SharedHelpers, ContainsNoCaseFindsWordsInAnyCase) {
    EXPECT_EQ(containsNoCase("Mail!!!DRAFT", "!!!Draft"), 4u);
    EXPECT_EQ(containsNoCase("Inbox", "!!!Draft"), std::string::npos);
    EXPECT_EQ(containsNoCase("abc", ""), 0u);
}

TEST(SharedHelpers, FindTextFindsWhatStringViewFinds) {
    // An empty range may have no text at all, as an empty string_view's.
    EXPECT_EQ(platform::findByte(std::string_view().data(), 0, '\n'), nullptr);
    const std::string_view texts[] = {"", "%", "%R", "%%RANDOM-SIGN", "x%RANDOM-SIG", "%RANDOM-SIGN%RANDOM-SIGN",
                                      "aaab", "ab"};
    const std::string_view needles[] = {"", "%RANDOM-SIGN", "%", "ab", "aab", "b"};
    for (const std::string_view text : texts) {
        for (const std::string_view needle : needles) {
            for (std::size_t from = 0; from <= text.size() + 1; ++from) {
                EXPECT_EQ(platform::findText(text, needle, from), text.find(needle, from))
                    << "'" << text << "' '" << needle << "' from " << from;
            }
        }
    }
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
