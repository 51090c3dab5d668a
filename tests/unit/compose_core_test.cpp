// The portable steps of the reply flow against the simulated host.
#include "composer/compose_core.h"
#include "platform/host_api.h"
#include "platform/large_blocks.h"
#include "text/html_text.h"
#include "template_fixture.h"

class ComposeCore : public TemplateFixture {
protected:
    void TearDown() override {
        platform::setLargeBlocksFailForTesting(false);
        TemplateFixture::TearDown();
    }
};

// The fixture's tear-down finds the message's source block given back.
TEST_F(ComposeCore, AMessageTooLargeForMemoryIsReportedAndItsSourceGoesBack) {
    host().message.rawSource = "Subject: large\r\n\r\nbody\r\n";
    platform::setLargeBlocksFailForTesting(true);
    const ComposeResult result = composeReply(*session, "unused.tml", nullptr);
    EXPECT_EQ(result.outcome, ComposeOutcome::Failed);
    EXPECT_EQ(host().countCalls("BKA_GetSource"), 1);
    EXPECT_EQ(boxes, oneBox("Error in handling email!", "Error"));
}

// Answering without the source would leave out its attachments unnoticed.
TEST_F(ComposeCore, AHostWithoutTheSourceIsReported) {
    hostApi().BKA_GetSource = [](const char*) -> char* { return nullptr; };
    const ComposeResult result = composeReply(*session, "unused.tml", nullptr);
    EXPECT_EQ(result.outcome, ComposeOutcome::Failed);
    EXPECT_EQ(boxes, oneBox("Error in handling email!", "Error"));
}

// A plain-text body: one div per line, blank lines as &nbsp;, and a line
// longer than the host's line buffer cut by its escaped characters, even
// inside an escape.
TEST_F(ComposeCore, PlainTextBodiesBecomeOneDivPerLine) {
    const std::string longLine = std::string(32765, 'a') + "<b";
    const struct {
        std::string text;
        std::string html;
    } cases[] = {
        {"", "<div>&nbsp;</div>"},
        {"a <b>\r\n \r\n\r\nc\n", "<div>a &lt;b&gt;\r</div><div>&nbsp;</div><div>&nbsp;</div><div>c</div><div>&nbsp;</div>"},
        {longLine, "<div>" + std::string(32765, 'a') + "&</div><div>lt;b</div>"},
        {std::string(32766, ' ') + "x", "<div>&nbsp;</div><div>x</div>"},
    };
    for (const auto& c : cases) EXPECT_EQ(plainTextToHtml(c.text), c.html) << c.text.substr(0, 20);

    // Angle brackets at every place in a word of eight, beside bytes that
    // differ from them in one bit.
    std::string text;
    std::string html;
    for (int k = 0; k < 20; ++k) {
        text += std::string(k, 'x') + "<\xBE\xBC=?" + std::string(k % 9, 'y') + ">>|\r\n";
        html += "<div>" + std::string(k, 'x') + "&lt;\xBE\xBC=?" + std::string(k % 9, 'y') + "&gt;&gt;|\r</div>";
    }
    EXPECT_EQ(plainTextToHtml(text), html + "<div>&nbsp;</div>");
}
