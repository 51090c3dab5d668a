// The plug-in's menu items and the template commands, driven as the host
// drives them: BKC_OnMenuInit with the host's menus, then the registered
// commands' callbacks.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "tests/wine/host_fixture.h"
#include "tools/winhost/host_menus.h"
#include "tests/wine/plugin_checks.h"
#include "tests/wine/registered_commands.h"

namespace wintest {
namespace {

std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool fileExistsAt(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class Menus : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        mainMenu = std::make_unique<HostMenuBar>(12);
        mainMenu->attachTo(mainWindow());
        // Compose windows share one menu, as the save item's placement expects.
        composeMenu = std::make_unique<HostMenuBar>(14);
        host().composeMailHandler = [this] {
            HWND window = openComposeWindow();
            composeMenu->attachTo(window);
            opened.push_back(window);
            return window;
        };
        writeTextFile(replyTemplate(), "reply template source");
        writeTextFile(forwardTemplate(), "forward template source");
        startPlugin();
    }
    void TearDown() override {
        composeMenu.reset();
        mainMenu.reset();
        HostFixture::TearDown();
    }

    std::string replyTemplate() const { return pluginFolder() + "torvane.tml"; }
    std::string forwardTemplate() const { return pluginFolder() + "torvanefwd.tml"; }

    void initMainMenu() { EXPECT_EQ(plugin().onMenuInit(mainWindow(), mainMenu->bar(), 0), 0); }

    std::unique_ptr<HostMenuBar> mainMenu;
    std::unique_ptr<HostMenuBar> composeMenu;
    std::vector<HWND> opened;
};

TEST_F(Menus, TheMainMenuGetsBothEditItemsInTheConfiguredLanguage) {
    struct Case {
        const char* setting;
        std::string reply, forward;
    };
    const std::vector<Case> cases = {
        {"English", kEnglishReply, kEnglishForward},
        {"simplifiedchinese", inCodePage(L"\u7F16\u8F91 HTML \u56DE\u590D\u6A21\u677F", 936),
         inCodePage(L"\u7F16\u8F91 HTML \u8F6C\u53D1\u6A21\u677F", 936)},
        {"TraditionalChinese_TW", inCodePage(L"\u7DE8\u8F2F HTML \u56DE\u8986\u6A21\u677F", 950),
         inCodePage(L"\u7DE8\u8F2F HTML \u8F49\u5BC4\u6A21\u677F", 950)},
        {"Chinese", kEnglishReply, kEnglishForward},
    };
    for (const Case& language : cases) {
        SCOPED_TRACE(language.setting);
        mainMenu = std::make_unique<HostMenuBar>(12);
        mainMenu->attachTo(mainWindow());
        writeSettings(std::string("[Settings]\r\nLanguage=") + language.setting + "\r\n");
        host().commands.clear();
        initMainMenu();

        ASSERT_EQ(host().commands.size(), 2u);
        EXPECT_EQ(host().commands[0].name, "EditHTMLReply");
        EXPECT_EQ(host().commands[1].name, "EditHTMLForward");
        EXPECT_EQ(host().commands[0].menuKind, 0);
        EXPECT_EQ(host().commands[1].menuKind, 0);

        const std::vector<MenuItem> items = menuItems(mainMenu->dropDown());
        ASSERT_EQ(items.size(), 14u);
        EXPECT_EQ(items[8].text, "Host item 8");
        EXPECT_EQ(items[9].text, language.reply);
        EXPECT_EQ(items[9].id, static_cast<UINT>(host().commands[0].id));
        EXPECT_EQ(items[10].text, language.forward);
        EXPECT_EQ(items[10].id, static_cast<UINT>(host().commands[1].id));
        EXPECT_EQ(items[11].text, "Host item 9");
        EXPECT_FALSE(items[9].greyed || items[10].greyed);
    }
}

TEST_F(Menus, TheComposeMenuKindRegistersThePopupCommandsInMenuOrder) {
    EXPECT_EQ(plugin().onMenuInit(mainWindow(), nullptr, 10), 0);
    const std::vector<std::string>& expected = popupCommandNames();
    ASSERT_EQ(host().commands.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(host().commands[i].name, expected[i]);
        EXPECT_EQ(host().commands[i].menuKind, 10);
    }
    // The host may call them; the pop-up menu acts on its own.
    host().calls.clear();
    for (const hostsim::RegisteredCommand& registered : host().commands) registered.callback(mainWindow(), registered.id);
    EXPECT_TRUE(host().calls.empty());
}

TEST_F(Menus, OtherMenuKindsAddNothing) {
    for (int kind : {1, 11, 3, -1}) {
        EXPECT_EQ(plugin().onMenuInit(mainWindow(), mainMenu->bar(), kind), 0);
    }
    EXPECT_TRUE(host().commands.empty());
    EXPECT_EQ(menuItems(mainMenu->dropDown()).size(), 12u);
}

TEST_F(Menus, EditingATemplateOpensItInAComposeWindowWithAGreyedSaveItem) {
    initMainMenu();
    runCommand("EditHTMLReply", mainWindow());
    EXPECT_TRUE(takeBoxes().empty());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(host().compositions[opened[0]].source, "reply template source");

    const hostsim::RegisteredCommand& save = latestCommand("SaveTemplate");
    EXPECT_EQ(save.menuKind, 11);
    const std::vector<MenuItem> items = menuItems(composeMenu->dropDown());
    ASSERT_EQ(items.size(), 15u);
    EXPECT_EQ(items[11].text, "Host item 11");
    EXPECT_EQ(items[12].text, kEnglishSave);
    EXPECT_EQ(items[12].id, static_cast<UINT>(save.id));
    EXPECT_TRUE(items[12].greyed);
    EXPECT_EQ(items[13].text, "Host item 12");

    runCommand("EditHTMLForward", mainWindow());
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(host().compositions[opened[1]].source, "forward template source");
}

TEST_F(Menus, EditingTwiceReplacesTheEarlierSaveItem) {
    initMainMenu();
    runCommand("EditHTMLReply", mainWindow());
    const int firstId = latestCommand("SaveTemplate").id;
    writeSettings("[Settings]\r\nLanguage=SimplifiedChinese\r\n");
    runCommand("EditHTMLReply", mainWindow());
    const int secondId = latestCommand("SaveTemplate").id;
    EXPECT_NE(secondId, firstId);
    EXPECT_EQ(host().countCalls("BKA_RegisterCommand"), 4);

    const std::vector<MenuItem> items = menuItems(composeMenu->dropDown());
    ASSERT_EQ(items.size(), 15u);
    EXPECT_EQ(items[12].id, static_cast<UINT>(secondId));
    EXPECT_EQ(items[12].text, inCodePage(L"\u4FDD\u5B58 HTML \u56DE\u590D/\u8F6C\u53D1\u6A21\u677F", 936));
    EXPECT_TRUE(items[12].greyed);
    for (const MenuItem& item : items) EXPECT_NE(item.id, static_cast<UINT>(firstId));
}

TEST_F(Menus, AComposeMenuOfItsOwnKeepsTheHostsItemAtTheSavePosition) {
    std::vector<std::unique_ptr<HostMenuBar>> ownMenus;
    host().composeMailHandler = [&] {
        HWND window = openComposeWindow();
        ownMenus.push_back(std::make_unique<HostMenuBar>(14));
        ownMenus.back()->attachTo(window);
        return window;
    };
    initMainMenu();
    runCommand("EditHTMLReply", mainWindow());
    runCommand("EditHTMLForward", mainWindow());
    ASSERT_EQ(ownMenus.size(), 2u);
    const std::vector<MenuItem> second = menuItems(ownMenus[1]->dropDown());
    ASSERT_EQ(second.size(), 15u);
    EXPECT_EQ(second[11].text, "Host item 11");
    EXPECT_EQ(second[12].id, static_cast<UINT>(latestCommand("SaveTemplate").id));
    EXPECT_EQ(second[13].text, "Host item 12");
    EXPECT_EQ(menuItems(ownMenus[0]->dropDown()).size(), 15u);
    ownMenus.clear();
}

TEST_F(Menus, SavingWritesTheCompositionToTheTemplateItEdits) {
    initMainMenu();
    runCommand("EditHTMLReply", mainWindow());
    runCommand("EditHTMLForward", mainWindow());
    ASSERT_EQ(opened.size(), 2u);
    host().compositions[opened[0]].source = "edited reply\r\n";
    host().compositions[opened[1]].source = "edited forward\r\n";
    const std::size_t blocksBefore = host().outstandingBlocks();

    runCommand("SaveTemplate", opened[0]);
    EXPECT_EQ(fileText(replyTemplate()), "edited reply\r\n");
    EXPECT_EQ(fileText(forwardTemplate()), "forward template source");
    runCommand("SaveTemplate", opened[1]);
    EXPECT_EQ(fileText(forwardTemplate()), "edited forward\r\n");
    EXPECT_EQ(host().countCalls("BKA_CompGetSource"), 2);
    EXPECT_EQ(host().outstandingBlocks(), blocksBefore);
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(Menus, SavingAnyOtherCompositionWritesNothing) {
    initMainMenu();
    runCommand("EditHTMLReply", mainWindow());
    HWND reply = openComposeWindow();
    EXPECT_EQ(plugin().onOpenCompose(reply, 5), 0);
    takeBoxes();
    HWND unknown = openComposeWindow();
    host().compositions[reply].source = "a reply";
    host().compositions[unknown].source = "something else";
    const std::size_t blocksBefore = host().outstandingBlocks();

    runCommand("SaveTemplate", reply);
    runCommand("SaveTemplate", unknown);
    EXPECT_EQ(fileText(replyTemplate()), "reply template source");
    EXPECT_EQ(fileText(forwardTemplate()), "forward template source");
    EXPECT_EQ(host().outstandingBlocks(), blocksBefore);
}

TEST_F(Menus, AWindowHandleReusedForTheOtherTemplateSavesToThatTemplate) {
    // The host hands out the handle of the first template window again.
    HWND reused = openComposeWindow();
    composeMenu->attachTo(reused);
    host().composeMailHandler = [reused] { return reused; };
    initMainMenu();
    runCommand("EditHTMLReply", mainWindow());
    runCommand("EditHTMLForward", mainWindow());
    host().compositions[reused].source = "edited forward";
    runCommand("SaveTemplate", reused);
    EXPECT_EQ(fileText(forwardTemplate()), "edited forward");
    EXPECT_EQ(fileText(replyTemplate()), "reply template source");
}

TEST_F(Menus, AnEmptyTemplateGivesAnEmptySource) {
    writeTextFile(replyTemplate(), "");
    initMainMenu();
    runCommand("EditHTMLReply", mainWindow());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(host().countCalls("BKA_CompSetSource"), 1);
    EXPECT_EQ(host().compositions[opened[0]].source, "");
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(Menus, AMissingTemplateIsReportedAndNothingOpens) {
    initMainMenu();
    ASSERT_TRUE(DeleteFileA(replyTemplate().c_str()));
    runCommand("EditHTMLReply", mainWindow());
    ASSERT_TRUE(DeleteFileA(forwardTemplate().c_str()));
    runCommand("EditHTMLForward", mainWindow());
    const std::vector<CaughtBox> boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Cannot access the template file torvane.tml!");
    EXPECT_EQ(boxes[0].caption, "");
    EXPECT_EQ(boxes[1].text, "Cannot access the template file torvanefwd.tml!");
    EXPECT_EQ(boxes[1].caption, "");
    EXPECT_EQ(host().countCalls("BKA_ComposeMail"), 0);
    EXPECT_FALSE(fileExistsAt(replyTemplate()));
}

TEST_F(Menus, AnUnknownCommandIdCannotEditATemplate) {
    initMainMenu();
    const hostsim::RegisteredCommand& reply = latestCommand("EditHTMLReply");
    reply.callback(mainWindow(), reply.id + 100);
    const std::vector<CaughtBox> boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Error in menu item, the template cannot be edited!");
    EXPECT_EQ(boxes[0].caption, "");
    EXPECT_EQ(host().countCalls("BKA_ComposeMail"), 0);
}

TEST_F(Menus, WhenNoComposeWindowOpensNothingElseHappens) {
    host().composeMailHandler = nullptr;
    initMainMenu();
    const std::size_t blocksBefore = host().outstandingBlocks();
    host().calls.clear();
    runCommand("EditHTMLReply", mainWindow());
    EXPECT_EQ(host().calls, std::vector<std::string>{"BKA_ComposeMail"});
    EXPECT_EQ(host().outstandingBlocks(), blocksBefore);
    EXPECT_TRUE(takeBoxes().empty());
    EXPECT_EQ(menuItems(composeMenu->dropDown()).size(), 14u);
}

}  // namespace
}  // namespace wintest
