// How the plug-in ends: BKC_OnExit while the host's windows close in the
// message loop that a document's release runs, and a host that unloads the
// plug-in with FreeLibrary without calling BKC_OnExit first.
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <wrl/client.h>

#include "tests/wine/compose_flow_fixture.h"
#include "tools/winhost/import_hook.h"
#include "tools/winhost/popup_driver.h"

namespace wintest {
namespace {

using Microsoft::WRL::ComPtr;

class PluginExit : public ComposeFlowFixture {
protected:
    void SetUp() override {
        ComposeFlowFixture::SetUp();
        answerMessageFile(kSampleMessage);
        EXPECT_EQ(plugin().onMenuInit(mainWindow(), nullptr, 10), 0);
    }

    // A reply whose editor the plug-in alone subclassed.
    HWND openReply(EditorKind editorKind = EditorKind::Answering) {
        HWND reply = openCompose(5, editorKind);
        compose(reply).removeForeignSubclass();
        EXPECT_TRUE(takeBoxes().empty());
        return reply;
    }
};

// A document whose release runs the message loop (as one in another
// apartment does) while the host closes both replies. Exit must have taken
// the editor out of the plug-in's hands before it lets the document go, and
// every session out of reach before it destroys the first: a session found
// and destroyed from inside another's tear-down corrupts the registry.
TEST_F(PluginExit, RepliesClosedWhileExitReleasesTheirDocumentsFindNoSession) {
    const std::vector<HWND> replies = {openReply(), openReply()};
    runPendingMessages();
    std::vector<ComPtr<TestDocument>> documents;
    for (HWND reply : replies) documents.push_back(&documentOf(reply));
    const auto referencesOfOthers = [&documents](std::size_t self) {
        ULONG references = 0;
        for (std::size_t i = 0; i < documents.size(); ++i) references += i == self ? 0 : documents[i]->references();
        return references;
    };
    std::vector<std::string> faults;
    for (std::size_t i = 0; i < replies.size(); ++i) {
        const HWND editor = editorOf(replies[i]);
        const std::string property = procedurePropertyName(editor);
        documents[i]->whileReleased = [=, &faults] {
            if (IsWindow(editor) && GetPropA(editor, property.c_str())) faults.push_back("released while subclassed");
            const ULONG others = referencesOfOthers(i);
            runPendingMessages();
            if (referencesOfOthers(i) != others) faults.push_back("another session went inside this one's tear-down");
        };
        PostMessageA(replies[i], WM_CLOSE, 0, 0);
    }

    exitPlugin();

    for (const auto& document : documents) document->whileReleased = nullptr;
    EXPECT_EQ(faults, std::vector<std::string>());
    for (std::size_t i = 0; i < replies.size(); ++i) {
        EXPECT_FALSE(IsWindow(replies[i])) << i;
        EXPECT_EQ(documents[i]->references(), 2u) << i;  // the host's editor's and this test's
    }
}

// What the plug-in calls while the loader detaches it, through its imports.
struct DetachCalls {
    static std::vector<std::string> made;
    static decltype(&CoUninitialize) coUninitialize;
    static decltype(&FreeLibrary) freeLibrary;
    static decltype(&SetWindowLongPtrW) setWindowLong;
    static decltype(&DestroyMenu) destroyMenu;

    static void WINAPI recordCoUninitialize() {
        made.push_back("CoUninitialize");
        coUninitialize();
    }
    static BOOL WINAPI recordFreeLibrary(HMODULE module) {
        made.push_back("FreeLibrary");
        return freeLibrary(module);
    }
    static LONG_PTR WINAPI recordSetWindowLong(HWND window, int index, LONG_PTR value) {
        made.push_back("SetWindowLong");
        return setWindowLong(window, index, value);
    }
    static BOOL WINAPI recordDestroyMenu(HMENU menu) {
        made.push_back("DestroyMenu");
        return destroyMenu(menu);
    }
};
std::vector<std::string> DetachCalls::made;
decltype(&CoUninitialize) DetachCalls::coUninitialize = nullptr;
decltype(&FreeLibrary) DetachCalls::freeLibrary = nullptr;
decltype(&SetWindowLongPtrW) DetachCalls::setWindowLong = nullptr;
decltype(&DestroyMenu) DetachCalls::destroyMenu = nullptr;

template <typename Function>
Function originalOf(const ImportHook& hook) {
    return reinterpret_cast<Function>(hook.original());
}

// The detach runs under the loader lock: releasing COM objects, unsubclassing
// windows, freeing libraries or closing COM there can hang or crash the host.
// Nothing is released: the plug-in's state is deliberately leaked.
TEST_F(PluginExit, UnloadingWithoutExitReleasesNothingInTheDetach) {
    // A session, its subclassed editor, and a sink connected to a document
    // that has not reported being ready.
    HWND reply = openReply(EditorKind::NeverReady);
    HWND editor = editorOf(reply);
    const ComPtr<TestDocument> document = &documentOf(reply);
    ASSERT_EQ(document->connectedSinks(), 1u);
    const ULONG references = document->references();
    const std::string pluginFile = pluginPath();

    HMODULE module = pluginModule();
    ImportHook coUninitialize(module, "ole32.dll", "CoUninitialize",
                              reinterpret_cast<void*>(&DetachCalls::recordCoUninitialize));
    ImportHook freeLibrary(module, "KERNEL32.dll", "FreeLibrary",
                           reinterpret_cast<void*>(&DetachCalls::recordFreeLibrary));
    ImportHook setWindowLong(module, "USER32.dll", kSetWindowLongPtrWImport,
                             reinterpret_cast<void*>(&DetachCalls::recordSetWindowLong));
    ImportHook destroyMenu(module, "USER32.dll", "DestroyMenu", reinterpret_cast<void*>(&DetachCalls::recordDestroyMenu));
    DetachCalls::coUninitialize = originalOf<decltype(&CoUninitialize)>(coUninitialize);
    DetachCalls::freeLibrary = originalOf<decltype(&FreeLibrary)>(freeLibrary);
    DetachCalls::setWindowLong = originalOf<decltype(&SetWindowLongPtrW)>(setWindowLong);
    DetachCalls::destroyMenu = originalOf<decltype(&DestroyMenu)>(destroyMenu);
    DetachCalls::made.clear();

    unloadWithoutExit();
    for (ImportHook* hook : {&coUninitialize, &freeLibrary, &setWindowLong, &destroyMenu}) hook->forget();

    ASSERT_EQ(GetModuleHandleA(pluginFile.c_str()), nullptr) << "the module was not unloaded";
    EXPECT_TRUE(DetachCalls::made.empty()) << DetachCalls::made.front();
    EXPECT_EQ(document->references(), references);
    EXPECT_EQ(document->connectedSinks(), 1u);

    // The host is left to mend what it broke: the editor's procedure, the
    // apartment the plug-in opened, the document the leaked session holds.
    SetWindowLongPtrW(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditorWindow::ownProcedure()));
    CoUninitialize();
    allowLeakedDocuments(1);
}

}  // namespace
}  // namespace wintest
