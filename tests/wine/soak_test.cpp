// One host process answering 1,000 mails: each reply opened, its document
// loaded and ready, every third one rebuilt from the editor's pop-up menu,
// then closed. What the process holds (handles, USER and GDI objects, the
// global atoms named by the editor's properties, documents, private bytes)
// is measured at 100 and at 1,000 windows: none of it may grow with the
// number of windows beyond a small constant.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/wine/popup_fixture.h"
#include "tests/wine/process_footprint.h"

namespace wintest {
namespace {

struct Held {
    ProcessFootprint process;
    std::size_t atoms = 0;  // "SCID…"/"SCCMID…" atoms of the editors so far
    std::size_t documents = 0;
};

class Soak : public PopupFixture {
protected:
    void SetUp() override {
        PopupFixture::SetUp();
        writeSettings("[Settings]\r\nResetCharset=TRUE\r\n");
    }

    // A reply from opening to closing; `rebuild` chooses from its pop-up menu first.
    void answerOnce(bool rebuild, bool refresh) {
        HWND reply = openReply();
        editors_.push_back(editorOf(reply));
        if (rebuild) {
            driver->choose(refresh ? Refresh : Big5);
            rightClick(reply);
            runPendingMessages();
        }
        closeComposeWindow(reply);
        // The host forgets the window too, and the test what the plug-in asked.
        host().compositions.erase(reply);
        host().calls.clear();
        takeSettingsReads();
    }

    Held held() {
        runPendingMessages();
        Held now;
        now.process = measureProcessFootprint();
        for (HWND editor : editors_) {
            for (const std::string& name : {procedurePropertyName(editor), sessionPropertyName(editor)})
                now.atoms += GlobalFindAtomA(name.c_str()) != 0 ? 1 : 0;
        }
        now.documents = TestDocument::liveDocuments();
        return now;
    }

    std::vector<HWND> editors_;
};

void print(std::size_t windows, const Held& held) {
    std::printf("[ soak     ] %5zu windows: %zu handles, %zu USER objects, %zu GDI objects, %zu atoms, "
                "%zu documents, %zu KiB private\n",
                windows, held.process.handles, held.process.userObjects, held.process.gdiObjects, held.atoms,
                held.documents, held.process.privateBytes / 1024);
}

TEST_F(Soak, AThousandRepliesHoldNoMoreThanAHundred) {
    constexpr std::size_t kFirst = 100;
    constexpr std::size_t kAll = 1000;
    Held atFirst;
    for (std::size_t window = 1; window <= kAll; ++window) {
        answerOnce(window % 3 == 0, window % 6 == 0);
        if (window % 100 == 0) {
            // The menu driver keeps what every menu showed.
            driver.reset();
            driver = std::make_unique<MenuDriver>(pluginModule());
        }
        if (window == kFirst) print(window, atFirst = held());
    }
    const Held atAll = held();
    print(kAll, atAll);
    EXPECT_TRUE(takeBoxes().empty());

    EXPECT_LE(atAll.process.handles, atFirst.process.handles + 8);
    EXPECT_LE(atAll.process.userObjects, atFirst.process.userObjects + 8);
    EXPECT_LE(atAll.process.gdiObjects, atFirst.process.gdiObjects + 8);
    EXPECT_EQ(atFirst.atoms, 0u);
    EXPECT_EQ(atAll.atoms, 0u);
    EXPECT_EQ(atAll.documents, atFirst.documents);
    // A session kept past its window would hold its texts, its document and
    // the editor's properties; a fraction of a kilobyte per window is noise.
    EXPECT_LE(atAll.process.privateBytes, atFirst.process.privateBytes + 256 * 1024);
}

}  // namespace
}  // namespace wintest
