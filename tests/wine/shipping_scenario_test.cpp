// One host session with the plug-in, from loading it to exit, in a single
// process and in the order a user meets it: binding, information and setup,
// start, both menus, a reply to a multipart message with an attachment and
// inline pictures, a character set and a refresh chosen from the editor's
// pop-up menu, a template edited and saved, exit. The i686 build runs only
// this case, under 32-bit wine, against the DLL that ships; the x86_64 build
// runs it with the other cases.
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>
#include <wrl/client.h>

#include "tests/wine/compose_flow_fixture.h"
#include "tools/winhost/host_menus.h"
#include "tests/wine/plugin_checks.h"
#include "tools/winhost/popup_driver.h"
#include "tests/wine/registered_commands.h"

namespace wintest {
namespace {

using Strings = std::vector<std::string>;
using Microsoft::WRL::ComPtr;

const char kSampleReply[] = "html-with-image-reply.html";
const char kOwnReplyText[] = "Type your reply here";
const char kEditedReplyText[] = "Write your answer above the line";
const char kRefreshedSignature[] = "RefreshedSignature";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class ShippingScenario : public ComposeFlowFixture {
protected:
    void SetUp() override {
        started_ = GetTickCount64();
        prepareHost();
        // The character-set items are enabled; the sample message is UTF-8,
        // so the first rendering keeps the template's META charset.
        writeSettings("[Settings]\r\nResetCharset=TRUE\r\n");
        mainMenu_ = std::make_unique<HostMenuBar>(12);
        mainMenu_->attachTo(mainWindow());
        // Compose windows share one menu, as the save item's placement expects.
        composeMenu_ = std::make_unique<HostMenuBar>(14);
        host().composeMailHandler = [this] {
            HWND window = openComposeWindow();
            composeMenu_->attachTo(window);
            templateWindows_.push_back(window);
            return window;
        };
    }

    void TearDown() override {
        // The hook goes while the plug-in is still loaded, the menus before their windows.
        driver_.reset();
        composeMenu_.reset();
        mainMenu_.reset();
        ComposeFlowFixture::TearDown();
        std::printf("[ scenario ] from load to exit in %llu ms\n",
                    static_cast<unsigned long long>(GetTickCount64() - started_));
    }

    // The host's exports, the load notification, the callbacks' exports.
    void bind() {
        expectHostExportsEveryName();
        ASSERT_TRUE(loadPlugin()) << "error " << loadError();
        EXPECT_EQ(host().calls, Strings{"BKA_GetVersion"});
        expectCallbacksAtTheirOrdinals(pluginModule());
    }

    // What the host's plug-in list shows: the record and the setup box.
    void describe() {
        expectInfoRecordFilled(plugin());
        EXPECT_EQ(plugin().onPlugInSetup(mainWindow()), 1);
        expectVersionBox(takeBoxes());
    }

    // BKC_OnStart, then the main window's menu (kind 0) and the compose pop-up (kind 10).
    void startWithMenus() {
        host().calls.clear();
        startPlugin();
        EXPECT_EQ(host().calls, Strings{"BKA_GetWindowHandles"});

        EXPECT_EQ(plugin().onMenuInit(mainWindow(), mainMenu_->bar(), 0), 0);
        const std::vector<MenuItem> items = menuItems(mainMenu_->dropDown());
        ASSERT_EQ(items.size(), 14u);
        EXPECT_EQ(items[9].text, kEnglishReply);
        EXPECT_EQ(items[9].id, static_cast<UINT>(latestCommand("EditHTMLReply").id));
        EXPECT_EQ(items[10].text, kEnglishForward);
        EXPECT_EQ(items[10].id, static_cast<UINT>(latestCommand("EditHTMLForward").id));

        EXPECT_EQ(plugin().onMenuInit(mainWindow(), nullptr, 10), 0);
        ASSERT_EQ(host().commands.size(), 2 + popupCommandNames().size());
        for (std::size_t i = 0; i < popupCommandNames().size(); ++i) {
            EXPECT_EQ(host().commands[2 + i].name, popupCommandNames()[i]);
            EXPECT_EQ(host().commands[2 + i].menuKind, 10);
        }
        driver_ = std::make_unique<MenuDriver>(pluginModule());
    }

    // A reply to the sample message: the rendering in the editor, the files
    // saved, the reply text selected when the document is ready.
    HWND replyToTheSampleMessage() {
        answerMessageFile(kSampleMessage);
        HWND reply = openCompose(5);
        EXPECT_TRUE(takeBoxes().empty());
        EXPECT_EQ(compositionText(reply), kProgressText);
        expectSampleRendering(reply, kSampleReply);
        expectReplyTextSelectedWhenReady(reply);
        // The editor is subclassed for this reply's session.
        HWND editor = editorOf(reply);
        EXPECT_EQ(GetPropA(editor, sessionPropertyName(editor).c_str()), reinterpret_cast<HANDLE>(reply));
        EXPECT_NE(GetPropA(editor, procedurePropertyName(editor).c_str()), nullptr);
        return reply;
    }

    // BIG5 from the pop-up menu: the same reply rendered again with the
    // Chinese texts and a BIG5 META charset; the click goes on to the editor.
    void chooseBig5(HWND reply) {
        TestDocument& document = documentOf(reply);
        PassedOn passedOn(editorOf(reply));
        ASSERT_TRUE(passedOn.installed());
        const std::size_t loadsBefore = count(document.calls, "Load");
        driver_->choose(Big5);
        rightClick(reply);
        EXPECT_EQ(driver_->last().result, latestCommand("BIG5").id);
        EXPECT_EQ(passedOn.contextMenus(), 1);
        EXPECT_EQ(count(document.calls, "Load"), loadsBefore + 1);

        const std::string big5 = document.loadedBytes;
        EXPECT_TRUE(contains(big5, "charset=BIG5\"")) << big5;
        EXPECT_FALSE(contains(big5, kOwnReplyText));
        EXPECT_FALSE(contains(big5, "<b>From:</b>"));
        // Everything else is what the first rendering had.
        EXPECT_TRUE(contains(big5, "&lt;20261201091402.4711@mail.example&gt;"));
        EXPECT_TRUE(contains(big5, "Best&nbsp;regards"));
        EXPECT_EQ(imageSources(big5), imageSources(firstRendering_));
        EXPECT_FALSE(contains(big5, "cid:"));
        expectReplyTextSelectedWhenReady(reply);
    }

    // Refresh: a new signature in place of the random-signature tokens only;
    // the rest stays as the BIG5 rendering had it, and the click stops here.
    void chooseRefresh(HWND reply) {
        TestDocument& document = documentOf(reply);
        const std::string before = document.loadedBytes;
        writeSignature(kRefreshedSignature);
        PassedOn passedOn(editorOf(reply));
        driver_->choose(Refresh);
        EXPECT_EQ(rightClick(reply), 0);
        EXPECT_EQ(driver_->last().result, latestCommand("Refresh HTML").id);
        EXPECT_EQ(passedOn.contextMenus(), 0);

        const std::string refreshed = document.loadedBytes;
        EXPECT_TRUE(contains(refreshed, "<br>\r\n<div><div>RefreshedSignature</div>")) << refreshed;
        // The named signature at the end is no random one: it stays.
        EXPECT_TRUE(contains(refreshed, "&middot; 100% <div>Best&nbsp;regards,</div>"));
        EXPECT_TRUE(contains(refreshed, "charset=BIG5\""));
        EXPECT_FALSE(contains(refreshed, kOwnReplyText));
        EXPECT_FALSE(contains(refreshed, "%RANDOM-SIGN"));
        EXPECT_NE(refreshed, before);
        expectReplyTextSelectedWhenReady(reply);
    }

    // The reply template opened from the main menu, changed, saved with the
    // compose window's save item, and used by the next reply.
    HWND editAndSaveTheReplyTemplate() {
        const std::string original = readWholeFile(templatePath(false));
        runCommand("EditHTMLReply", mainWindow());
        EXPECT_TRUE(takeBoxes().empty());
        if (templateWindows_.size() != 1u) {
            ADD_FAILURE() << templateWindows_.size() << " compose windows opened";
            return nullptr;
        }
        HWND editing = templateWindows_[0];
        EXPECT_EQ(host().compositions[editing].source, original);
        const std::vector<MenuItem> items = menuItems(composeMenu_->dropDown());
        EXPECT_EQ(items.size(), 15u);
        if (items.size() > 12) {
            EXPECT_EQ(items[12].text, kEnglishSave);
            EXPECT_EQ(items[12].id, static_cast<UINT>(latestCommand("SaveTemplate").id));
            EXPECT_TRUE(items[12].greyed);
        }

        std::string edited = original;
        const std::size_t at = edited.find(kOwnReplyText);
        EXPECT_NE(at, std::string::npos);
        if (at != std::string::npos) edited.replace(at, std::string(kOwnReplyText).size(), kEditedReplyText);
        host().compositions[editing].source = edited;
        runCommand("SaveTemplate", editing);
        EXPECT_EQ(readWholeFile(templatePath(false)), edited);
        EXPECT_EQ(readWholeFile(templatePath(true)), readWholeFile(sourcePath("tests/data/template/torvanefwd.tml")));

        HWND next = openCompose(6);
        EXPECT_TRUE(takeBoxes().empty());
        const std::string loaded = documentOf(next).loadedBytes;
        EXPECT_TRUE(contains(loaded, std::string("<div id=\"torvane_text_id\">") + kEditedReplyText + "</div>"));
        EXPECT_TRUE(contains(loaded, "<b>From:</b>"));  // a new reply starts from the message's charset
        expectReplyTextSelectedWhenReady(next);
        return next;
    }

    // BKC_OnExit: the pop-up menu destroyed, no sink left connected, every
    // document reference but the editor's own released, COM closed and every
    // host block back. The host's other subclasser of the editors lets go
    // after it; the editors still get what is typed into them, unchanged.
    void exitReleasingEverything(const std::vector<HWND>& replies) {
        const HMENU popup = driver_->last().menu;
        ASSERT_TRUE(IsMenu(popup));
        driver_.reset();
        std::vector<ComPtr<TestDocument>> documents;
        for (HWND reply : replies) {
            documents.push_back(&documentOf(reply));
            EXPECT_GT(documents.back()->references(), 2u);  // the editor's, this test's, the session's
        }
        exitPlugin();

        EXPECT_FALSE(IsMenu(popup));
        for (std::size_t i = 0; i < replies.size(); ++i) {
            SCOPED_TRACE("reply " + std::to_string(i + 1));
            EXPECT_EQ(documents[i]->connectedSinks(), 0u);
            EXPECT_EQ(documents[i]->references(), 2u);  // the editor's and this test's
            SendMessageW(editorOf(replies[i]), WM_CHAR, 0x4E2D, 1);
            const std::vector<WPARAM>& typed = compose(replies[i]).editor()->characters();
            EXPECT_EQ(typed, std::vector<WPARAM>{0x4E2D});
        }
        EXPECT_EQ(CoInitialize(nullptr), S_OK) << "the plug-in left its COM apartment open";
        CoUninitialize();
        EXPECT_EQ(host().outstandingBlocks(), 0u);
        EXPECT_EQ(host().invalidFrees(), 0u);
        EXPECT_TRUE(takeBoxes().empty());
    }

    static std::size_t count(const Strings& calls, const std::string& name) {
        std::size_t found = 0;
        for (const std::string& call : calls) found += call == name ? 1 : 0;
        return found;
    }

    std::unique_ptr<MenuDriver> driver_;
    std::string firstRendering_;

private:
    ULONGLONG started_ = 0;
    std::unique_ptr<HostMenuBar> mainMenu_;
    std::unique_ptr<HostMenuBar> composeMenu_;
    std::vector<HWND> templateWindows_;
};

TEST_F(ShippingScenario, FromLoadToExitInOneHostProcess) {
    ASSERT_NO_FATAL_FAILURE(bind());
    ASSERT_NO_FATAL_FAILURE(describe());
    ASSERT_NO_FATAL_FAILURE(startWithMenus());
    HWND reply = nullptr;
    ASSERT_NO_FATAL_FAILURE(reply = replyToTheSampleMessage());
    firstRendering_ = documentOf(reply).loadedBytes;
    ASSERT_NO_FATAL_FAILURE(chooseBig5(reply));
    ASSERT_NO_FATAL_FAILURE(chooseRefresh(reply));
    HWND next = nullptr;
    ASSERT_NO_FATAL_FAILURE(next = editAndSaveTheReplyTemplate());
    ASSERT_NE(next, nullptr);
    exitReleasingEverything({reply, next});
}

}  // namespace
}  // namespace wintest
