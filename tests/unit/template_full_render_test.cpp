// Whole reply and forward templates against reviewed expected HTML.
#include <cstdlib>

#include "template_fixture.h"

namespace {

std::string dataFile(const std::string& name) {
    const auto content = platform::readFile(std::string(TORVANE_SOURCE_DIR) + "/tests/data/template/" + name);
    EXPECT_TRUE(content.has_value()) << name;
    return content.value_or("");
}

}  // namespace

class FullRendering : public TemplateFixture {
protected:
    void SetUp() override {
        TemplateFixture::SetUp();
        std::srand(3);
        writeMailboxFile("MailBox.ini", "[Account]\r\nYourName=Bo Chen\r\nMailAddress=bo@example.org\r\n");
    }
};

TEST_F(FullRendering, ReplyUnderAWesternCharset) {
    host().message.charset = "ISO-8859-1";
    session->resetCharset = true;
    setHeader("From", "\"Ann Lee\" <ann@example.org>");
    setHeader("To", "Bo Chen <bo@example.org>");
    setHeader("Cc", "Carl <carl@example.org>, dana@example.org");
    setHeader("Date", "Tue, 2 Jan 2024 09:30:00 +0100");
    setHeader("Message-Id", "<20240102093000.4711@example.org>");
    setSubject("Re: Quarterly report");
    writeMailboxFile("$$$00001html_Work.txt", "<p><b>Bo Chen</b> | Sales</p>");
    session->attachments = {{"/tmp/", "report.pdf"}, {"/tmp/", "chart 1.png"}};

    const std::string rendered = render(dataFile("reply_template.html"), nullptr,
                                        "<div>Hi Bo,</div><div>sales grew 50%f and 12%% this quarter.</div>");
    EXPECT_EQ(rendered, dataFile("reply_expected.html"));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FullRendering, ForwardUnderAChineseCharset) {
    host().message.charset = "GB2312";
    setHeader("From", "Ann Lee <ann@example.org>");
    setHeader("To", "team@example.org");
    setHeader("Date", "Wed, 3 Jan 2024 17:05:00 +0800");
    setHeader("Message-Id", "<launch.42@example.org>");
    setHeader("Organization", "Example <Labs>");
    setSubject("Fw: Launch plan");
    writeMailboxFile("$$$00000Default.txt", "Bo Chen\r\nSales  Dept\r\n");
    session->attachments = {{"/tmp/", "plan.docx"}, {"/tmp/", "budget.xlsx"}, {"/tmp/", "logo <v2>.png"}};

    const std::string rendered =
        render(dataFile("forward_template.html"), nullptr, "<div>The plan is attached.</div>");
    EXPECT_EQ(rendered, dataFile("forward_expected.html"));
    EXPECT_TRUE(boxes.empty());
}
