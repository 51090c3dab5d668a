// The document event sink: which ready-state change does the work, what it
// does to the editor window and the document, what the other events get,
// and that the sink lives exactly as long as someone needs it.
#include <string>
#include <vector>

#include "composer/win/html_ids.h"
#include "tests/wine/composer/composer_fixture.h"

namespace wintest {
namespace {

using Microsoft::WRL::ComPtr;
using Calls = std::vector<std::string>;
using Answers = std::vector<HRESULT>;

ComPtr<CWinSink> newSink(HWND editorWindow) {
    ComPtr<CWinSink> sink;
    *sink.GetAddressOf() = new CWinSink(editorWindow);  // MinGW's Attach would add a reference
    return sink;
}

class ReadyStateTest : public ComposerWineTest {
protected:
    // Loads `html` through the session and forgets the calls of the load.
    void load(const std::string& html) {
        session->editorWindow = editor.handle();
        session->loadHtml(html);
        ASSERT_EQ(document->connectedSinks(), 1u);
        document->calls.clear();
    }

    // Repainted by the system, frame and all, while the document reported.
    void expectRepainted(std::size_t times = 1) {
        EXPECT_EQ(systemRepaints(editor.paintsDuringReadyStateChanges()), times);
    }

    EditorWindow editor{compose.handle(), document->unknown()};
};

TEST_F(ReadyStateTest, OnceInteractiveRepaintsSelectsTheTextElementAndDisconnects) {
    load("<div>Hi,</div><div id=\"torvane_text_id\">write here</div>");

    runPendingMessages();

    expectRepainted();
    EXPECT_EQ(document->calls, (Calls{"readyState interactive", "get_all", "item torvane_text_id 0", "get_selection",
                                      "createRange", "collapse true", "moveToElementText element", "select",
                                      "scrollIntoView true", "Unadvise", "readyState complete"}));
    // The connection point's reference was not the last: the session's and the event's own are left.
    EXPECT_EQ(document->unadviseReleaseCounts, std::vector<ULONG>{2});
    expectEverythingReleased();
}

// The blank document of InitNew and the text's own "loading" report before
// the template's elements exist: acting then would never place the caret.
TEST_F(ReadyStateTest, ChangesBeforeTheDocumentIsInteractiveAreIgnored) {
    session->editorWindow = editor.handle();
    session->loadHtml("<div id=\"torvane_text_id\">x</div>");

    EXPECT_EQ(document->calls, (Calls{"FindConnectionPoint HTMLDocumentEvents2", "Advise", "InitNew",
                                      "readyState loading", "Load", "readyState loading", "close"}));
    EXPECT_EQ(document->fire(kDispidReadyStateChange), Answers{S_OK});
    EXPECT_EQ(document->connectedSinks(), 1u);
    EXPECT_TRUE(editor.paintsDuringReadyStateChanges().empty());
    runPendingMessages();
    expectRepainted();
    expectEverythingReleased();
}

TEST_F(ReadyStateTest, ASecondReadyStateChangeIsNotDelivered) {
    load("<div id=\"torvane_text_id\">x</div>");
    runPendingMessages();
    document->calls.clear();

    EXPECT_TRUE(document->fire(kDispidReadyStateChange).empty());

    EXPECT_TRUE(document->calls.empty());
    expectRepainted(1);
    expectEverythingReleased();
}

TEST_F(ReadyStateTest, ADocumentWithoutTheTextElementIsRepaintedWhenComplete) {
    load("<div id=\"other\">x</div>");

    runPendingMessages();

    expectRepainted();
    EXPECT_EQ(document->calls, (Calls{"readyState interactive", "get_all", "item torvane_text_id 0",
                                      "readyState complete", "get_all", "item torvane_text_id 0", "Unadvise"}));
    expectEverythingReleased();
}

TEST_F(ReadyStateTest, NothingIsSelectedWhenTheRangeCannotTakeTheElement) {
    document->moveToElementTextResult = E_FAIL;
    load("<div id=\"torvane_text_id\">x</div>");

    runPendingMessages();

    EXPECT_EQ(document->calls, (Calls{"readyState interactive", "get_all", "item torvane_text_id 0", "get_selection",
                                      "createRange", "collapse true", "moveToElementText element", "Unadvise",
                                      "readyState complete"}));
    expectEverythingReleased();
}

TEST_F(ReadyStateTest, OtherEventsAreAnsweredWithoutEffect) {
    load("<div id=\"torvane_text_id\">x</div>");

    EXPECT_EQ(document->fire(kDispidReadyStateChange, false), Answers{E_POINTER});
    EXPECT_EQ(document->fire(1026, false), Answers{E_POINTER});
    EXPECT_EQ(document->fire(1026), Answers{S_OK});
    EXPECT_EQ(document->fire(0), Answers{DISP_E_MEMBERNOTFOUND});
    EXPECT_EQ(document->fire(-600), Answers{DISP_E_MEMBERNOTFOUND});

    EXPECT_TRUE(document->calls.empty());
    EXPECT_TRUE(editor.paintsDuringReadyStateChanges().empty());
    EXPECT_EQ(document->connectedSinks(), 1u);
    // Still waiting for the document to be ready.
    runPendingMessages();
    expectRepainted();
    expectEverythingReleased();
}

using SinkTest = ComposerWineTest;

TEST_F(SinkTest, AnswersOnlyIUnknownAndIDispatch) {
    auto sink = newSink(nullptr);
    IUnknown* unknown = nullptr;
    IDispatch* dispatch = nullptr;
    ASSERT_EQ(sink->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    ASSERT_EQ(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
    EXPECT_EQ(unknown, static_cast<IUnknown*>(sink.Get()));
    EXPECT_EQ(dispatch, static_cast<IDispatch*>(sink.Get()));
    unknown->Release();
    dispatch->Release();

    for (const IID& iid : {kDiidHtmlDocumentEvents2, IID_IConnectionPoint, IID_IHTMLDocument2}) {
        void* other = &other;
        EXPECT_EQ(sink->QueryInterface(iid, &other), E_NOINTERFACE);
        EXPECT_EQ(other, nullptr);
    }
    EXPECT_EQ(sink->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(SinkTest, TypeInformationIsNotImplementedAndTouchesNothing) {
    auto sink = newSink(nullptr);
    UINT count = 7;
    auto* info = reinterpret_cast<ITypeInfo*>(&count);
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"onreadystatechange")};
    DISPID id = 42;

    EXPECT_EQ(sink->GetTypeInfoCount(&count), E_NOTIMPL);
    EXPECT_EQ(sink->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), E_NOTIMPL);
    EXPECT_EQ(sink->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), E_NOTIMPL);
    EXPECT_EQ(count, 7u);
    EXPECT_EQ(info, reinterpret_cast<ITypeInfo*>(&count));
    EXPECT_EQ(id, 42);
}

TEST_F(SinkTest, CountsReferencesAndGoesAwayWithTheLast) {
    CWinSink* sink = new CWinSink(nullptr);
    EXPECT_EQ(CWinSink::liveInstances(), 1);
    EXPECT_EQ(sink->AddRef(), 2u);
    EXPECT_EQ(sink->AddRef(), 3u);
    EXPECT_EQ(sink->Release(), 2u);
    EXPECT_EQ(sink->Release(), 1u);
    EXPECT_EQ(sink->Release(), 0u);
    EXPECT_EQ(CWinSink::liveInstances(), 0);
}

TEST_F(SinkTest, ConnectAnswersWithTheConnectionPointLookup) {
    document->offersConnectionPoint = false;
    auto unconnected = newSink(nullptr);
    EXPECT_EQ(unconnected->connectSink(document.Get()), CONNECT_E_NOCONNECTION);

    document->offersConnectionPoint = true;
    document->adviseResult = CONNECT_E_ADVISELIMIT;
    auto refused = newSink(nullptr);
    EXPECT_EQ(refused->connectSink(document.Get()), S_OK);
    EXPECT_EQ(document->connectedSinks(), 0u);
    EXPECT_EQ(refused->disconnectSink(), S_OK);  // nothing to unadvise

    EXPECT_EQ(document->calls, (Calls{"FindConnectionPoint HTMLDocumentEvents2",
                                      "FindConnectionPoint HTMLDocumentEvents2", "Advise"}));
    unconnected.Reset();
    refused.Reset();
    expectEverythingReleased();
}

TEST_F(SinkTest, DisconnectIsSafeWhenNotConnectedAndUnadvisesOnce) {
    auto sink = newSink(nullptr);
    EXPECT_EQ(sink->disconnectSink(), S_OK);
    ASSERT_EQ(sink->connectSink(document.Get()), S_OK);
    EXPECT_EQ(document->connectedSinks(), 1u);

    EXPECT_EQ(sink->disconnectSink(), S_OK);
    EXPECT_EQ(sink->disconnectSink(), S_OK);

    EXPECT_EQ(document->calls, (Calls{"FindConnectionPoint HTMLDocumentEvents2", "Advise", "Unadvise"}));
    sink.Reset();
    expectEverythingReleased();
}

TEST_F(SinkTest, WithoutAnEditorWindowTheReadyDocumentIsOnlyDisconnected) {
    document->textElement = TestDocument::TextElement::Present;
    {
        auto sink = newSink(nullptr);
        sink->connectSink(document.Get());
    }
    EXPECT_EQ(CWinSink::liveInstances(), 1);

    document->InitNew();
    runPendingMessages();

    EXPECT_EQ(document->calls, (Calls{"FindConnectionPoint HTMLDocumentEvents2", "Advise", "InitNew",
                                      "readyState loading", "readyState interactive", "get_all",
                                      "item torvane_text_id 0", "Unadvise", "readyState complete"}));
    expectEverythingReleased();
}

}  // namespace
}  // namespace wintest
