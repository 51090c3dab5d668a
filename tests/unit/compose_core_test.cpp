// The portable steps of the reply flow against the simulated host.
#include <filesystem>
#include <regex>

#include "composer/compose_core.h"
#include "platform/host_api.h"
#include "platform/large_blocks.h"
#include "text/html_text.h"
#include "tools/hostsim/message_loader.h"
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
        {std::string(32767, ' ') + "\n" + std::string(32766, ' '), "<div>&nbsp;</div><div>&nbsp;</div><div>&nbsp;</div>"},
    };
    for (const auto& c : cases) EXPECT_EQ(plainTextToHtml(c.text), c.html) << c.text.substr(0, 20);

    // Angle brackets at every place in a word of eight and a block of
    // sixteen, beside bytes that differ from them in one bit.
    std::string text;
    std::string html;
    for (int k = 0; k < 36; ++k) {
        text += std::string(k, 'x') + "<\xBE\xBC=?" + std::string(k % 9, 'y') + ">>|\r\n";
        html += "<div>" + std::string(k, 'x') + "&lt;\xBE\xBC=?" + std::string(k % 9, 'y') + "&gt;&gt;|\r</div>";
    }
    EXPECT_EQ(plainTextToHtml(text), html + "<div>&nbsp;</div>");
}

// A session that renders once gives the rendering a session that keeps its
// body gives, for an HTML body whose pictures are rewritten and for a plain
// one, and the rendering takes the body's memory (the room made for it
// survives the picture rewriting).
TEST_F(ComposeCore, RenderingOnceTakesTheBodyAndRendersTheSame) {
    const std::string folder = mailboxFolder();
    host().tempFolder = folder;
    // More template around the body than the picture references free.
    writeMailboxFile("reply.tml", "Content-Type: text/html\r\n\r\n<p>%t</p>%m<hr>" + std::string(300, '-') + "\r\n");
    const std::string html =
        "Subject: s\r\nContent-Type: multipart/related; boundary=B\r\n\r\n--B\r\n"
        "Content-Type: text/html\r\n\r\n<p><img src=\"cid:pic@x\"> and cid:pic@x</p>\r\n--B\r\n"
        "Content-Type: image/png\r\nContent-ID: <pic@x>\r\nContent-Transfer-Encoding: base64\r\n\r\niVBORw==\r\n--B--\r\n";
    const std::string plain = "Subject: s\r\nContent-Type: text/plain\r\n\r\na <b>\r\n\r\nc\r\n";
    for (const std::string& message : {html, plain}) {
        SCOPED_TRACE(message.substr(0, 60));
        std::string renderings[2];
        for (const bool keeps : {true, false}) {
            host().message = hostsim::loadMessage(message, "UTF-8");
            session = std::make_unique<ComposeSession>(kWindow, SessionKind::Compose);
            session->convertText = true;
            session->keepsQuotedBody = keeps;
            const ComposeResult result = composeReply(*session, folder + "reply.tml", nullptr);
            ASSERT_EQ(result.outcome, ComposeOutcome::Rendered);
            EXPECT_EQ(session->quotedBody.empty(), !keeps);
            // Pictures are numbered through the process.
            renderings[keeps] = std::regex_replace(result.html, std::regex("tv[0-9]+"), "tvN");
            for (const auto& entry : std::filesystem::directory_iterator(folder)) {
                if (entry.path().extension() != ".tml") std::filesystem::remove(entry.path());
            }
        }
        EXPECT_EQ(renderings[false], renderings[true]);
        EXPECT_NE(renderings[true].find("<hr>"), std::string::npos);
    }
}
