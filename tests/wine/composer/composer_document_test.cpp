// Finding the editor window and loading HTML into its document, against real
// windows and the accessibility library's marshaling under wine.
#include <chrono>
#include <new>
#include <string>
#include <vector>

#include "composer/win/editor_document.h"
#include "composer/win/html_ids.h"
#include "tests/wine/composer/composer_fixture.h"
#include "tools/winhost/import_hook.h"

namespace wintest {
namespace {

using Calls = std::vector<std::string>;

HWND findEditorBelow(HWND window) {
    HWND found = nullptr;
    EnumChildWindows(window, findEditorWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK collectWindow(HWND window, LPARAM out) {
    reinterpret_cast<std::vector<HWND>*>(out)->push_back(window);
    return TRUE;
}

std::string className(HWND window) {
    char name[100] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

using FindEditorWindowTest = ComposerWineTest;

TEST_F(FindEditorWindowTest, FindsTheEditorAmongDescendantsByItsWholeClassName) {
    PlainWindow pane(compose.handle());
    PlainWindow shorter(pane.handle(), "Internet Explorer_Serve");
    PlainWindow longer(pane.handle(), "Internet Explorer_Server2");
    PlainWindow inner(pane.handle());
    EditorWindow editor(inner.handle());

    EXPECT_EQ(findEditorBelow(compose.handle()), editor.handle());
    EXPECT_EQ(findEditorBelow(shorter.handle()), nullptr);
}

TEST_F(FindEditorWindowTest, StopsAtTheFirstEditorInEnumerationOrder) {
    PlainWindow pane(compose.handle());
    EditorWindow first(pane.handle());
    EditorWindow second(compose.handle());
    std::vector<HWND> order;
    EnumChildWindows(compose.handle(), collectWindow, reinterpret_cast<LPARAM>(&order));
    std::vector<HWND> editors;
    for (HWND window : order)
        if (className(window) == kEditorClassName) editors.push_back(window);
    ASSERT_EQ(editors.size(), 2u);

    // A callback that went on enumerating would leave the last one.
    EXPECT_EQ(findEditorBelow(compose.handle()), editors.front());
}

TEST_F(FindEditorWindowTest, IgnoresAClassNameThatDiffersInLetterCase) {
    PlainWindow pane(compose.handle());
    PlainWindow lowerCase(pane.handle(), "internet explorer_server");
    ASSERT_EQ(className(lowerCase.handle()), "internet explorer_server");

    EXPECT_EQ(findEditorBelow(compose.handle()), nullptr);
}

TEST_F(FindEditorWindowTest, LeavesTheResultAloneWithoutAnEditor) {
    PlainWindow pane(compose.handle());
    HWND found = pane.handle();
    EnumChildWindows(compose.handle(), findEditorWindow, reinterpret_cast<LPARAM>(&found));
    EXPECT_EQ(found, pane.handle());
}

using LoadHtmlTest = ComposerWineTest;

TEST_F(LoadHtmlTest, LoadsExactlyTheTextBytesIntoANewDocumentAndConnectsASink) {
    PlainWindow pane(compose.handle());
    EditorWindow editor(pane.handle(), document->unknown());
    session->editorWindow = editor.handle();
    // Bytes above 0x7F pass unchanged; the text ends at its first NUL.
    const std::string html = std::string("<div id=\"torvane_text_id\">\xD6\xD0\xCE\xC4 caf\xE9</div>") + '\0' + "tail";

    session->loadHtml(html);

    EXPECT_EQ(editor.getObjectRequests(), 1);
    EXPECT_EQ(document->loadedBytes, "<div id=\"torvane_text_id\">\xD6\xD0\xCE\xC4 caf\xE9</div>");
    EXPECT_EQ(document->calls, (Calls{"FindConnectionPoint HTMLDocumentEvents2", "Advise", "InitNew",
                                      "readyState loading", "Load", "readyState loading", "close"}));
    EXPECT_EQ(session->document.Get(), static_cast<IHTMLDocument2*>(document.Get()));
    EXPECT_EQ(document->connectedSinks(), 1u);
    EXPECT_EQ(CWinSink::liveInstances(), 1);  // held by the connection point and the session
    EXPECT_TRUE(editor.paintMessages().empty());

    runPendingMessages();
    expectEverythingReleased();
}

HRESULT WINAPI noMemoryForStreams(HGLOBAL, BOOL, IStream**) { return E_OUTOFMEMORY; }

// A reply too large for memory is reported, not loaded as an empty document.
TEST_F(LoadHtmlTest, AStreamWithoutRoomIsReportedAndTheDocumentLeftAlone) {
    EditorWindow editor(compose.handle(), document->unknown());
    session->editorWindow = editor.handle();
    {
        ImportHook refuse(GetModuleHandleW(nullptr), "ole32.dll", "CreateStreamOnHGlobal",
                          reinterpret_cast<void*>(&noMemoryForStreams));
        EXPECT_THROW(session->loadHtml("<p>x</p>"), std::bad_alloc);
    }
    for (const std::string& call : document->calls) EXPECT_TRUE(call != "InitNew" && call != "Load") << call;
    runPendingMessages();
    expectEverythingReleased();
}

TEST_F(LoadHtmlTest, AsksTheAccessibilityLibraryForIHTMLDocument) {
    EditorWindow editor(compose.handle(), document->unknown());
    session->editorWindow = editor.handle();
    session->loadHtml("<p>x</p>");
    bool asked = false;
    for (const IID& iid : document->queriedInterfaces) asked = asked || iid == IID_IHTMLDocument;
    EXPECT_TRUE(asked);
    runPendingMessages();
    expectEverythingReleased();
}

TEST_F(LoadHtmlTest, LoadsAnEmptyDocumentFromAnEmptyText) {
    EditorWindow editor(compose.handle(), document->unknown());
    session->editorWindow = editor.handle();
    document->loadedBytes = "stale";

    session->loadHtml("");

    EXPECT_EQ(document->loadedBytes, "");
    EXPECT_EQ(document->calls, (Calls{"FindConnectionPoint HTMLDocumentEvents2", "Advise", "InitNew",
                                      "readyState loading", "Load", "readyState loading", "close"}));
    runPendingMessages();
    expectEverythingReleased();
}

// A sink left connected to a document that never reports being ready keeps
// it alive, and the document calls it after the plug-in is gone.
TEST_F(LoadHtmlTest, ASecondLoadDisconnectsTheFirstLoadsSink) {
    document->reportsReadyState = false;
    EditorWindow editor(compose.handle(), document->unknown());
    session->editorWindow = editor.handle();

    session->loadHtml("<p id=\"torvane_text_id\">one</p>");
    session->loadHtml("<p id=\"torvane_text_id\">two</p>");

    EXPECT_EQ(document->loadedBytes, "<p id=\"torvane_text_id\">two</p>");
    EXPECT_EQ(document->connectedSinks(), 1u);
    EXPECT_EQ(CWinSink::liveInstances(), 1);
    // The test, the session, and the connection point of the second sink.
    EXPECT_EQ(document->references(), 3u);
    expectEverythingReleased();
}

TEST_F(LoadHtmlTest, ALoadFromAnotherDocumentLetsTheFirstGo) {
    auto second = TestDocument::create();
    EditorWindow editor(compose.handle(), document->unknown());
    session->editorWindow = editor.handle();
    session->loadHtml("<p>one</p>");
    editor.setDocument(second->unknown());

    session->loadHtml("<p>two</p>");

    EXPECT_EQ(session->document.Get(), static_cast<IHTMLDocument2*>(second.Get()));
    EXPECT_EQ(document->references(), 1u);  // the test's: the first sink is disconnected
    EXPECT_EQ(document->connectedSinks(), 0u);
    EXPECT_EQ(second->loadedBytes, "<p>two</p>");
    runPendingMessages();
    session.reset();
    EXPECT_EQ(second->references(), 1u);
    expectEverythingReleased();
}

TEST_F(LoadHtmlTest, LoadsEvenWhenTheDocumentHasNoEventConnection) {
    document->offersConnectionPoint = false;
    EditorWindow editor(compose.handle(), document->unknown());
    session->editorWindow = editor.handle();

    session->loadHtml("<p>x</p>");

    EXPECT_EQ(document->calls, (Calls{"FindConnectionPoint HTMLDocumentEvents2", "InitNew", "readyState loading",
                                      "Load", "readyState loading", "close"}));
    EXPECT_EQ(document->loadedBytes, "<p>x</p>");
    EXPECT_EQ(document->connectedSinks(), 0u);
    expectEverythingReleased();
}

TEST_F(LoadHtmlTest, LoadsEvenWhenAdviseFails) {
    document->adviseResult = CONNECT_E_ADVISELIMIT;
    EditorWindow editor(compose.handle(), document->unknown());
    session->editorWindow = editor.handle();

    session->loadHtml("<p>x</p>");

    EXPECT_EQ(document->calls, (Calls{"FindConnectionPoint HTMLDocumentEvents2", "Advise", "InitNew",
                                      "readyState loading", "Load", "readyState loading", "close"}));
    EXPECT_EQ(document->connectedSinks(), 0u);
    expectEverythingReleased();
}

TEST_F(LoadHtmlTest, DoesNothingWithoutAnEditorWindow) {
    EditorWindow editor(compose.handle(), document->unknown());
    session->loadHtml("<p>x</p>");
    EXPECT_EQ(editor.getObjectRequests(), 0);
    EXPECT_TRUE(document->calls.empty());
    EXPECT_EQ(session->document, nullptr);
    expectEverythingReleased();
}

TEST_F(LoadHtmlTest, DoesNothingWithoutTheAccessibilityLibrary) {
    EditorWindow editor(compose.handle(), document->unknown());
    session->editorWindow = editor.handle();
    session->oleaccModule = nullptr;
    session->loadHtml("<p>x</p>");
    EXPECT_EQ(editor.getObjectRequests(), 0);
    EXPECT_TRUE(document->calls.empty());
    expectEverythingReleased();
}

TEST_F(LoadHtmlTest, DoesNotAskTheEditorWithoutObjectFromLresult) {
    // An answer that nobody unmarshals would keep a reference on the document.
    EditorWindow editor(compose.handle(), document->unknown());
    session->editorWindow = editor.handle();
    session->objectFromLresultFn = nullptr;
    session->loadHtml("<p>x</p>");
    EXPECT_EQ(editor.getObjectRequests(), 0);
    EXPECT_TRUE(document->calls.empty());
    expectEverythingReleased();
}

TEST_F(LoadHtmlTest, AnEditorThatDoesNotAnswerGivesNoDocument) {
    EditorWindow editor(compose.handle(), document->unknown());
    session->editorWindow = editor.handle();
    session->loadHtml("<p>one</p>");
    runPendingMessages();
    document->calls.clear();
    editor.setDocument(nullptr);

    session->loadHtml("<p>two</p>");

    EXPECT_EQ(editor.getObjectRequests(), 2);
    EXPECT_TRUE(document->calls.empty());
    EXPECT_EQ(document->loadedBytes, "<p>one</p>");
    EXPECT_EQ(session->document, nullptr);  // the previous one is let go before unmarshaling
    EXPECT_EQ(document->references(), 1u);
    expectEverythingReleased();
}

TEST_F(LoadHtmlTest, AHungEditorTimesOutAfterASecondAndKeepsTheDocument) {
    EditorWindow editor(compose.handle(), document->unknown());
    session->editorWindow = editor.handle();
    session->loadHtml("<p>one</p>");
    runPendingMessages();
    document->calls.clear();
    HungEditorWindow hung;
    session->editorWindow = hung.handle();

    const auto start = std::chrono::steady_clock::now();
    session->loadHtml("<p>two</p>");
    const auto waited = std::chrono::steady_clock::now() - start;

    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_LT(waited, std::chrono::milliseconds(4000));
    EXPECT_TRUE(document->calls.empty());
    EXPECT_EQ(document->loadedBytes, "<p>one</p>");
    EXPECT_EQ(session->document.Get(), static_cast<IHTMLDocument2*>(document.Get()));
    expectEverythingReleased();
}

}  // namespace
}  // namespace wintest
