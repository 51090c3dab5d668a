#include "tests/wine/popup_fixture.h"

namespace wintest {
namespace {

const char kTemplate[] =
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/html; charset=\"us-ascii\"\r\n"
    "Content-Transfer-Encoding: 7bit\r\n"
    "\r\n"
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\"></head>\r\n"
    "<body><div id=\"torvane_text_id\">%CETXT{CHINESE-GROUP}{OTHER-GROUP}</div>\r\n"
    "<div class=\"sig\">%R</div><blockquote>%m</blockquote></body></html>\r\n";

const char kMessage[] =
    "From: \"Alex Moreno\" <alex@example.com>\r\n"
    "To: Dana Whitfield <dana@example.org>\r\n"
    "Subject: Site visit\r\n"
    "Date: Tue, 01 Dec 2026 09:14:02 +0100\r\n"
    "Message-ID: <popup@mail.example>\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/html; charset=iso-8859-1\r\n"
    "\r\n"
    "<p>The quoted body</p>\r\n";

}  // namespace

void PopupFixture::SetUp() {
    ComposeFlowFixture::SetUp();
    writeTextFile(templatePath(false), kTemplate);
    writeSignature(kFirstSignature);
    answerMessage(kMessage);
    EXPECT_EQ(plugin().onMenuInit(mainWindow(), nullptr, 10), 0);
    driver = std::make_unique<MenuDriver>(pluginModule());
}

void PopupFixture::TearDown() {
    // The hook goes while the plug-in is still loaded.
    driver.reset();
    ComposeFlowFixture::TearDown();
}

HWND PopupFixture::openReply() {
    HWND window = openCompose(5);
    runPendingMessages();
    EXPECT_TRUE(takeBoxes().empty());
    EXPECT_NE(compose(window).document(), nullptr);
    return window;
}

}  // namespace wintest
