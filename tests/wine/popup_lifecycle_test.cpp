// How the editor's subclassing and its session live and end: editors that
// go away, handles the system hands out again, a subclassing that fails,
// another subclasser on the editor, the window kept Unicode, the pop-up menu
// rebuilt or destroyed, a rebuild that fails, and a user who acts while a
// rebuild's box is up.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tools/winhost/import_hook.h"
#include "tests/wine/popup_fixture.h"

namespace wintest {
namespace {

using PopupLifecycle = PopupFixture;

// A window handle the host hands out again after its reply closed: the
// compose window stays, its editor goes, and a new reply comes into it.
TEST_F(PopupLifecycle, ANewReplyInAClosedReplysWindowGetsItsHtml) {
    HWND reply = openReply();
    const Microsoft::WRL::ComPtr<TestDocument> document = compose(reply).document();
    compose(reply).closeEditor();
    // Only this test still holds the document: the session that held it
    // went with the editor.
    EXPECT_EQ(document->references(), 1u);

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
    HWND reply = openCompose(5);  // its document still loading, the sink connected
    const Microsoft::WRL::ComPtr<TestDocument> document = compose(reply).document();
    ASSERT_EQ(document->connectedSinks(), 1u);
    DestroyWindow(reply);
    // The session's reference and its sink are given back: the host's and this test's are left.
    EXPECT_EQ(document->connectedSinks(), 0u);
    EXPECT_EQ(document->references(), 2u);
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

// SetWindowLongPtrW as it answers for a window the plug-in may not subclass.
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

// Properties left on a window keep the global atoms of their names.
TEST_F(PopupLifecycle, AFailedSubclassingIsReportedAndLeavesNothingOnTheEditor) {
    HWND reply = nullptr;
    {
        ImportHook refuse(pluginModule(), "USER32.dll", kSetWindowLongPtrWImport, reinterpret_cast<void*>(&refuseWindowLong));
        reply = openCompose(5);
    }
    const std::vector<CaughtBox> boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Error in IE subclass!");
    EXPECT_EQ(boxes[0].caption, "Error");

    HWND editor = editorOf(reply);
    std::vector<std::pair<std::string, HANDLE>> properties;
    EnumPropsExA(editor, collectProperty, reinterpret_cast<LPARAM>(&properties));
    EXPECT_TRUE(properties.empty());
    for (const std::string& name : {procedurePropertyName(editor), sessionPropertyName(editor)})
        EXPECT_EQ(GlobalFindAtomA(name.c_str()), 0) << name;

    driver->dismiss();
    rightClick(reply);
    EXPECT_TRUE(driver->calls().empty());
}

// What the user types outside the ANSI code page: the two halves of an
// emoji, a Chinese character from the input method.
TEST_F(PopupLifecycle, TheSubclassedEditorStaysUnicode) {
    HWND reply = openReply();
    HWND editor = editorOf(reply);
    const std::vector<std::pair<UINT, WPARAM>> typed = {{WM_CHAR, 0xD83D}, {WM_CHAR, 0xDE00}, {WM_IME_CHAR, 0x4E2D}};
    for (const auto& character : typed) SendMessageW(editor, character.first, character.second, 1);
    EXPECT_EQ(compose(reply).editor()->characters(), (std::vector<WPARAM>{0xD83D, 0xDE00, 0x4E2D}));
    // The plug-in's procedure on top, as before the other subclasser came.
    compose(reply).removeForeignSubclass();
    EXPECT_TRUE(IsWindowUnicode(editor));
}

// Another subclasser (an input method, another plug-in) sat on the editor
// after the plug-in did and lets go only after BKC_OnExit: giving the editor
// its own procedure back would cut it out of the chain, and its own restore
// would put the plug-in's procedure back after the module is gone.
TEST_F(PopupLifecycle, ExitLeavesAChainWithAnotherSubclasserWhole) {
    // The plug-in alone first: a module pinned by the other case would stay.
    for (const bool otherOnTop : {false, true}) {
        SCOPED_TRACE(otherOnTop ? "another subclasser on top" : "the plug-in alone");
        if (!pluginModule()) {
            startPlugin();
            EXPECT_EQ(plugin().onMenuInit(mainWindow(), nullptr, 10), 0);
            driver = std::make_unique<MenuDriver>(pluginModule());
        }
        HWND reply = openReply();
        HWND editor = editorOf(reply);
        const std::string procedureName = procedurePropertyName(editor);
        if (!otherOnTop) compose(reply).removeForeignSubclass();
        exitPlugin();  // then the other subclasser lets go
        driver.reset();
        unloadWithoutExit();  // the editors still open

        const bool pinned = GetModuleHandleA(pluginPath().c_str()) != nullptr;
        EXPECT_EQ(pinned, otherOnTop);
        const bool ownProcedure =
            GetWindowLongPtrW(editor, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(EditorWindow::ownProcedure());
        EXPECT_EQ(ownProcedure, !otherOnTop);
        EXPECT_EQ(GetPropA(editor, procedureName.c_str()) != nullptr, otherOnTop);
        // Either way the editor gets what is sent to it.
        if (!pinned && !ownProcedure) return;  // calling on would run unloaded code
        SendMessageW(editor, WM_CHAR, 0x4E2D, 1);
        EXPECT_EQ(compose(reply).editor()->characters(), std::vector<WPARAM>{0x4E2D});
        // The window's end takes the properties and their atoms with it.
        compose(reply).closeEditor();
        EXPECT_EQ(GlobalFindAtomA(procedureName.c_str()), 0);
    }
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

// Each load connects a sink; a document that never reports being ready
// would keep every one of them connected, itself alive through them, and
// call them after the plug-in is gone.
TEST_F(PopupLifecycle, ASinkWaitingForAReadyStateChangeGoesWithTheNextLoadAndWithExit) {
    HWND reply = openCompose(5, EditorKind::NeverReady);
    runPendingMessages();
    const Microsoft::WRL::ComPtr<TestDocument> document = &documentOf(reply);
    ASSERT_EQ(document->connectedSinks(), 1u);
    driver->choose(Refresh);
    rightClick(reply);
    EXPECT_EQ(count(document->calls, "Load"), 2);
    EXPECT_EQ(document->connectedSinks(), 1u);

    driver.reset();
    exitPlugin();
    EXPECT_EQ(document->connectedSinks(), 0u);
    EXPECT_EQ(document->references(), 2u);  // the editor's and this test's
}

// The refresh's signature file cannot be read: its box is up while the
// refresh still runs, and the user closes the reply meanwhile.
TEST_F(PopupLifecycle, AReplyClosedWhileItsRefreshShowsABoxOutlivesItUntilTheRefreshEnds) {
    HWND reply = openReply();
    const Microsoft::WRL::ComPtr<TestDocument> document = &documentOf(reply);
    const ULONG withSession = document->references();
    host().refusedAllocationSize = 32768;
    boxes().actWhileNextBoxIsUp([&] {
        SendMessageA(reply, WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsWindow(reply));
        // Checked here: a refresh that went on in a destroyed session may never return.
        EXPECT_EQ(document->references(), withSession) << "the session went while its refresh ran";
    });
    driver->choose(Refresh);
    rightClick(reply);
    host().refusedAllocationSize = 0;

    const std::vector<CaughtBox> boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "IO Error in handling signature!");
    // The session went when the refresh ended; nothing was loaded into the closed reply.
    EXPECT_EQ(document->references(), withSession - 1);
    EXPECT_EQ(count(document->calls, "Load"), 1);
}

// The rendering fails: its box is up and the user right-clicks the editor.
TEST_F(PopupLifecycle, ARightClickWhileARebuildsBoxIsUpIsTheEditors) {
    writeSettings("[Settings]\r\nResetCharset=TRUE\r\n");
    HWND reply = openReply();
    PassedOn passedOn(editorOf(reply));
    host().allocationsFail = true;
    boxes().actWhileNextBoxIsUp([&] { rightClick(reply); });
    driver->choose(Big5);
    rightClick(reply);
    host().allocationsFail = false;

    EXPECT_EQ(takeBoxes().size(), 1u);
    EXPECT_EQ(driver->calls().size(), 1u);  // no second menu, no second rendering
    EXPECT_EQ(passedOn.contextMenus(), 2);
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
