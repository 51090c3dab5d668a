// The editor's pop-up menu in a reply: a right click in the subclassed editor,
// the menu tracked by the system and driven with keystrokes while it is up,
// and what each choice does to the reply in the editor's document.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/wine/popup_fixture.h"

namespace wintest {
namespace {

using PopupMenu = PopupFixture;

TEST_F(PopupMenu, ARightClickShowsTheMenuAtThePointerAndReturnsTheCommand) {
    HWND reply = openReply();
    driver->dismiss();
    EXPECT_EQ(rightClick(reply, MAKELPARAM(120, 340)), 0);
    ASSERT_EQ(driver->calls().size(), 1u);
    const MenuDriver::Call& call = driver->last();
    EXPECT_EQ(call.flags, static_cast<UINT>(TPM_RETURNCMD));
    EXPECT_EQ(call.x, 120);
    EXPECT_EQ(call.y, 340);
    EXPECT_EQ(call.owner, editorOf(reply));
    EXPECT_EQ(call.result, 0);

    // The menu the host's commands were registered for, in their order.
    const Strings names = {"Refresh", "", "Auto Select", "GB2312", "GB18030", "HZ-GB-2312", "BIG5", "UTF-8",
                           "UTF-7", "US-ASCII", "ISO-8859-1", "ISO-8859-2", "ISO-8859-15"};
    ASSERT_EQ(call.items.size(), names.size());
    std::size_t command = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(call.items[i].text, names[i]) << i;
        EXPECT_EQ(call.items[i].separator, i == 1) << i;
        if (i == 1) continue;
        EXPECT_EQ(call.items[i].id, static_cast<UINT>(host().commands.at(command++).id)) << i;
    }
}

TEST_F(PopupMenu, TheMenuGoesWhereTheClickWasOnAnyMonitor) {
    HWND reply = openReply();
    const struct {
        LPARAM position;
        int x, y;
    } cases[] = {
        {MAKELPARAM(-200, -50), -200, -50},      // a monitor left of and above the primary one
        {MAKELPARAM(1900, -1080), 1900, -1080},  // a monitor above
        {static_cast<LPARAM>(-1), 65535, 65535},  // from the keyboard: where the system then puts it
    };
    for (const auto& row : cases) {
        driver->dismiss();
        rightClick(reply, row.position);
        EXPECT_EQ(driver->last().x, row.x) << row.x;
        EXPECT_EQ(driver->last().y, row.y) << row.y;
    }
}

TEST_F(PopupMenu, CharsetItemsAreGreyedUnlessResetCharsetIsOnWhenTheMenuOpens) {
    HWND reply = openReply();
    auto expectCharsetItems = [&](bool enabled) {
        const std::vector<MenuItem>& items = driver->last().items;
        EXPECT_FALSE(items[Refresh].greyed || items[Refresh].disabled);
        for (std::size_t i = Auto; i < items.size(); ++i) {
            EXPECT_EQ(items[i].greyed, !enabled) << items[i].text;
            EXPECT_EQ(items[i].disabled, !enabled) << items[i].text;
        }
    };

    driver->dismiss();
    rightClick(reply);
    expectCharsetItems(false);
    // A greyed item cannot be chosen: nothing is rendered and nothing handed on.
    PassedOn passedOn(editorOf(reply));
    ASSERT_TRUE(passedOn.installed());
    driver->choose(Big5);
    rightClick(reply);
    expectCharsetItems(false);
    EXPECT_EQ(driver->last().result, 0);
    EXPECT_EQ(count(documentOf(reply).calls, "Load"), 1);
    EXPECT_EQ(passedOn.contextMenus(), 0);

    // The file is read again at every opening.
    writeSettings("[Settings]\r\nResetCharset=true\r\n");
    driver->dismiss();
    rightClick(reply);
    expectCharsetItems(true);
    writeSettings("[Settings]\r\nResetCharset=no\r\n");
    driver->dismiss();
    rightClick(reply);
    expectCharsetItems(false);
    // Refresh stays selectable throughout.
    driver->choose(Refresh);
    rightClick(reply);
    EXPECT_EQ(driver->last().result, host().commands[0].id);
}

TEST_F(PopupMenu, ChoosingBig5RendersTheReplyAgainAndHandsTheClickOn) {
    writeSettings("[Settings]\r\nResetCharset=TRUE\r\n");
    HWND reply = openReply();
    TestDocument& document = documentOf(reply);
    const std::string first = document.loadedBytes;
    EXPECT_TRUE(contains(first, "OTHER-GROUP"));
    EXPECT_TRUE(contains(first, "charset=iso-8859-1\""));
    PassedOn passedOn(editorOf(reply));
    ASSERT_TRUE(passedOn.installed());

    // A re-rendering keeps the signature the reply has.
    writeSignature(kSecondSignature);
    const std::size_t before = document.calls.size();
    driver->choose(Big5);
    rightClick(reply);
    EXPECT_EQ(driver->last().result, host().commands[5].id);

    const std::string again = document.loadedBytes;
    EXPECT_TRUE(contains(again, "CHINESE-GROUP"));
    EXPECT_FALSE(contains(again, "OTHER-GROUP"));
    EXPECT_TRUE(contains(again, "charset=BIG5\""));
    EXPECT_TRUE(contains(again, kFirstSignature));
    EXPECT_FALSE(contains(again, kSecondSignature));
    EXPECT_TRUE(contains(again, "<p>The quoted body</p>"));
    EXPECT_EQ(passedOn.contextMenus(), 1);

    // The browser's editing command goes first, then the new document.
    const Strings calls(document.calls.begin() + static_cast<std::ptrdiff_t>(before), document.calls.end());
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "Exec CGID_MSHTML 23 0");
    EXPECT_EQ(count(calls, "InitNew"), 1);
    EXPECT_EQ(count(calls, "Load"), 1);
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(PopupMenu, TheAutomaticItemRendersUnderTheMessagesCharset) {
    writeSettings("[Settings]\r\nResetCharset=TRUE\r\n");
    HWND reply = openReply();
    TestDocument& document = documentOf(reply);
    driver->choose(Gb2312);
    rightClick(reply);
    ASSERT_TRUE(contains(document.loadedBytes, "charset=GB2312\""));
    driver->choose(Auto);
    rightClick(reply);
    EXPECT_TRUE(contains(document.loadedBytes, "OTHER-GROUP"));
    EXPECT_TRUE(contains(document.loadedBytes, "charset=iso-8859-1\""));
    EXPECT_EQ(count(document.calls, "Exec CGID_MSHTML 23 0"), 2);
}

TEST_F(PopupMenu, RefreshPutsANewSignatureInPlaceOfTheTokensAndKeepsTheClick) {
    HWND reply = openReply();
    TestDocument& document = documentOf(reply);
    EXPECT_TRUE(contains(document.loadedBytes, kFirstSignature));
    PassedOn passedOn(editorOf(reply));
    ASSERT_TRUE(passedOn.installed());

    writeSignature(kSecondSignature);
    const std::size_t before = document.calls.size();
    driver->choose(Refresh);
    EXPECT_EQ(rightClick(reply), 0);
    const std::string refreshed = document.loadedBytes;
    EXPECT_TRUE(contains(refreshed, "<div class=\"sig\"><div>SecondSignature</div>"));
    EXPECT_FALSE(contains(refreshed, kFirstSignature));
    EXPECT_FALSE(contains(refreshed, "%RANDOM-SIGN"));
    EXPECT_TRUE(contains(refreshed, "OTHER-GROUP"));
    EXPECT_EQ(passedOn.contextMenus(), 0);
    const Strings calls(document.calls.begin() + static_cast<std::ptrdiff_t>(before), document.calls.end());
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "Exec CGID_MSHTML 23 0");
    EXPECT_EQ(count(calls, "Load"), 1);

    // Every refresh starts from the same tokens, not from the last signature.
    writeSignature("ThirdSignature");
    driver->choose(Refresh);
    rightClick(reply);
    EXPECT_TRUE(contains(document.loadedBytes, "ThirdSignature"));
    EXPECT_FALSE(contains(document.loadedBytes, kSecondSignature));
}

TEST_F(PopupMenu, EachEditorActsOnItsOwnReply) {
    writeSettings("[Settings]\r\nResetCharset=TRUE\r\n");
    HWND first = openReply();
    HWND second = openReply();
    ASSERT_NE(editorOf(first), editorOf(second));
    TestDocument& firstDocument = documentOf(first);
    TestDocument& secondDocument = documentOf(second);
    const std::size_t firstBefore = firstDocument.calls.size();

    driver->choose(Big5);
    rightClick(second);
    EXPECT_TRUE(contains(secondDocument.loadedBytes, "charset=BIG5\""));
    EXPECT_EQ(firstDocument.calls.size(), firstBefore);
    EXPECT_TRUE(contains(firstDocument.loadedBytes, "charset=iso-8859-1\""));

    writeSignature(kSecondSignature);
    driver->choose(Refresh);
    rightClick(first);
    EXPECT_TRUE(contains(firstDocument.loadedBytes, kSecondSignature));
    EXPECT_FALSE(contains(secondDocument.loadedBytes, kSecondSignature));
    EXPECT_TRUE(contains(secondDocument.loadedBytes, "charset=BIG5\""));
}

}  // namespace
}  // namespace wintest
