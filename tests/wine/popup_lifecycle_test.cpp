// How the editor's subclassing and its session live and end: editors that
// go away, handles the system hands out again, a subclassing that fails,
// the pop-up menu rebuilt or destroyed, and a rebuild that fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tests/wine/import_hook.h"
#include "tests/wine/popup_fixture.h"

namespace wintest {
namespace {

using PopupLifecycle = PopupFixture;

// A window handle the host hands out again after its reply closed: the
// compose window stays, its editor goes, and a new reply comes into it.
TEST_F(PopupLifecycle, ANewReplyInAClosedReplysWindowGetsItsHtml) {
    HWND reply = openReply();
    const Microsoft::WRL::ComPtr<TestDocument> document = compose(reply).document();
    const ULONG withSession = document->references();
    compose(reply).closeEditor();
    // Only the host's compose window and this test still hold the document:
    // the session that held it went with the editor.
    EXPECT_LT(document->references(), withSession);
    EXPECT_EQ(document->references(), 2u);

    EXPECT_EQ(plugin().onOpenCompose(reply, 5), 0);
    TestDocument* next = compose(reply).document();
    ASSERT_NE(next, nullptr);
    ASSERT_NE(next, document.Get());
    EXPECT_EQ(count(next->calls, "Load"), 1);
    EXPECT_TRUE(contains(next->loadedBytes, "OTHER-GROUP"));
    EXPECT_TRUE(takeBoxes().empty());
    // The new editor has the plug-in's menu.
    driver->dismiss();
    rightClick(reply);
    EXPECT_EQ(driver->calls().size(), 1u);
}

TEST_F(PopupLifecycle, TheSessionGoesWhenTheWholeWindowCloses) {
    HWND reply = openReply();
    const Microsoft::WRL::ComPtr<TestDocument> document = compose(reply).document();
    const ULONG withSession = document->references();
    DestroyWindow(reply);
    // The session's reference is given back (the sink's connection, which
    // the browser would drop, still holds its own).
    EXPECT_EQ(document->references(), withSession - 1);
}

TEST_F(PopupLifecycle, ASessionWhoseEditorWentUnnoticedIsReplaced) {
    HWND reply = openReply();
    // Another subclass that does not hand messages on: the plug-in never
    // sees the editor go.
    SetWindowLongPtrA(editorOf(reply), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcA));
    compose(reply).closeEditor();

    EXPECT_EQ(plugin().onOpenCompose(reply, 5), 0);
    ASSERT_NE(compose(reply).document(), nullptr);
    EXPECT_EQ(count(compose(reply).document()->calls, "Load"), 1);
    driver->dismiss();
    rightClick(reply);
    EXPECT_EQ(driver->calls().size(), 1u);
}

// The import that subclasses: the 32-bit USER32 has no SetWindowLongPtrA
// (the headers map it to SetWindowLongA there).
#ifdef _WIN64
const char kSetWindowLongImport[] = "SetWindowLongPtrA";
#else
const char kSetWindowLongImport[] = "SetWindowLongA";
#endif

// SetWindowLongPtrA as it answers for a window the plug-in may not subclass.
LONG_PTR WINAPI refuseWindowLong(HWND, int, LONG_PTR) {
    SetLastError(ERROR_ACCESS_DENIED);
    return 0;
}

BOOL CALLBACK collectProperty(HWND, LPSTR name, HANDLE value, ULONG_PTR names) {
    if (!IS_INTRESOURCE(name)) {
        reinterpret_cast<std::vector<std::pair<std::string, HANDLE>>*>(names)->push_back({name, value});
    }
    return TRUE;
}

TEST_F(PopupLifecycle, AFailedSubclassingIsReportedAndLeavesTheEditorAlone) {
    HWND reply = nullptr;
    {
        ImportHook refuse(pluginModule(), "USER32.dll", kSetWindowLongImport, reinterpret_cast<void*>(&refuseWindowLong));
        reply = openCompose(5);
    }
    const std::vector<CaughtBox> boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Error in IE subclass!");
    EXPECT_EQ(boxes[0].caption, "Error");

    // Both properties are set all the same; the procedure's holds nothing.
    HWND editor = editorOf(reply);
    std::vector<std::pair<std::string, HANDLE>> properties;
    EnumPropsExA(editor, collectProperty, reinterpret_cast<LPARAM>(&properties));
    std::sort(properties.begin(), properties.end());
    ASSERT_EQ(properties.size(), 2u);
    EXPECT_EQ(properties[0].first, sessionPropertyName(editor));
    EXPECT_EQ(properties[0].second, reinterpret_cast<HANDLE>(reply));
    EXPECT_EQ(properties[1].first, procedurePropertyName(editor));
    EXPECT_EQ(properties[1].second, nullptr);

    driver->dismiss();
    rightClick(reply);
    EXPECT_TRUE(driver->calls().empty());
}

TEST_F(PopupLifecycle, ARebuiltMenuReplacesAndDestroysTheEarlierOne) {
    HWND reply = openReply();
    driver->dismiss();
    rightClick(reply);
    const HMENU first = driver->last().menu;
    ASSERT_TRUE(IsMenu(first));

    EXPECT_EQ(plugin().onMenuInit(mainWindow(), nullptr, 10), 0);
    EXPECT_FALSE(IsMenu(first));
    ASSERT_EQ(host().commands.size(), 24u);
    // The new menu and its ids are the ones used.
    writeSignature(kSecondSignature);
    driver->choose(Refresh);
    rightClick(reply);
    EXPECT_NE(driver->last().menu, first);
    EXPECT_EQ(driver->last().result, host().commands[12].id);
    EXPECT_TRUE(contains(documentOf(reply).loadedBytes, kSecondSignature));

    const HMENU second = driver->last().menu;
    exitPlugin();
    EXPECT_FALSE(IsMenu(second));
}

TEST_F(PopupLifecycle, WithoutThePluginsMenuTheEditorKeepsItsOwn) {
    exitPlugin();
    startPlugin();  // no compose menu kind yet
    HWND reply = openReply();
    PassedOn passedOn(editorOf(reply));
    ASSERT_TRUE(passedOn.installed());
    rightClick(reply);
    EXPECT_TRUE(driver->calls().empty());
    EXPECT_EQ(passedOn.contextMenus(), 1);
}

TEST_F(PopupLifecycle, AFailedRenderingIsReportedAndTheEditorKeepsItsDocument) {
    writeSettings("[Settings]\r\nResetCharset=TRUE\r\n");
    HWND reply = openReply();
    TestDocument& document = documentOf(reply);
    const std::string shown = document.loadedBytes;
    PassedOn passedOn(editorOf(reply));

    // The host has no memory left for the rendering's buffers.
    host().allocationsFail = true;
    driver->choose(Big5);
    rightClick(reply);
    host().allocationsFail = false;

    const std::vector<CaughtBox> boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Error in refreshing email!");
    EXPECT_EQ(boxes[0].caption, "Error");
    // The editing command went out; no new document came; the click goes on.
    EXPECT_EQ(count(document.calls, "Exec CGID_MSHTML 23 0"), 1);
    EXPECT_EQ(count(document.calls, "Load"), 1);
    EXPECT_EQ(document.loadedBytes, shown);
    EXPECT_EQ(passedOn.contextMenus(), 1);
}

}  // namespace
}  // namespace wintest
