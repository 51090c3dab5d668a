// Shared set-up of the composer tests under wine: a COM apartment, the
// accessibility library as the plug-in loads it, a compose window, a test
// document and a session bound to the compose window.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <memory>

#include "composer/win/win_sink.h"
#include "platform/win/owned.h"
#include "composer/win/compose_window_session.h"
#include "tools/winhost/editor_window.h"
#include "tools/winhost/test_document.h"

namespace wintest {

class ComApartment {
public:
    ComApartment() { CoInitialize(nullptr); }
    ~ComApartment() { CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

class ComposerWineTest : public ::testing::Test {
protected:
    ComposerWineTest() {
        session = std::make_unique<ComposeWindowSession>(compose.handle(), SessionKind::Compose, SessionFlags{},
                                                         oleacc.get(), getObjectMessage, objectFromLresult);
    }

    void SetUp() override {
        ASSERT_NE(oleacc.get(), nullptr);
        ASSERT_NE(objectFromLresult, nullptr);
    }

    // Every reference the plug-in took on the document is given back and no
    // sink is left alive, once the session is gone and the events are done.
    void expectEverythingReleased() {
        session.reset();
        EXPECT_EQ(document->connectedSinks(), 0u);
        EXPECT_EQ(document->references(), 1u);  // the test's own
        EXPECT_EQ(CWinSink::liveInstances(), 0);
    }

    ComApartment apartment;
    const platform::OwnedLibrary oleacc{LoadLibraryA("OLEACC.DLL")};
    ObjectFromLresultFn objectFromLresult = reinterpret_cast<ObjectFromLresultFn>(
        reinterpret_cast<void*>(GetProcAddress(oleacc.get(), "ObjectFromLresult")));
    UINT getObjectMessage = RegisterWindowMessageA("WM_HTML_GETOBJECT");
    PlainWindow compose{nullptr, "TorvaneTestCompose"};
    Microsoft::WRL::ComPtr<TestDocument> document = TestDocument::create();
    std::unique_ptr<ComposeWindowSession> session;
};

}  // namespace wintest
