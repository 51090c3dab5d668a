// A reply or forward from BKC_OnOpenCompose to the document in the compose
// window's editor: the message the host hands out, the templates next to
// the plug-in, the files in the host's temporary folder, the editor's
// document and its ready-state event, and what is left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/owned.h"
#include "tests/wine/compose_flow_fixture.h"
#include "tools/hostsim/converters.h"

namespace wintest {
namespace {

using Strings = std::vector<std::string>;

const char kPlainMessage[] = "examples/messages/plain-text.eml";

int count(const Strings& calls, const std::string& name) {
    return static_cast<int>(std::count(calls.begin(), calls.end(), name));
}

BOOL CALLBACK noteSubclassProperty(HWND, LPSTR name, HANDLE, ULONG_PTR found) {
    // Atoms come as small numbers, not as texts.
    if (IS_INTRESOURCE(name)) return TRUE;
    const std::string text = name;
    if (text.rfind("SCID", 0) == 0 || text.rfind("SCCMID", 0) == 0) *reinterpret_cast<bool*>(found) = true;
    return TRUE;
}

BOOL CALLBACK checkWindowProperties(HWND window, LPARAM found) {
    EnumPropsExA(window, noteSubclassProperty, static_cast<LPARAM>(found));
    return TRUE;
}

// Whether the window or one below it carries the editor's subclassing properties.
bool hasSubclassProperties(HWND window) {
    bool found = false;
    checkWindowProperties(window, reinterpret_cast<LPARAM>(&found));
    EnumChildWindows(window, checkWindowProperties, reinterpret_cast<LPARAM>(&found));
    return found;
}

using ComposeFlow = ComposeFlowFixture;

TEST_F(ComposeFlow, AReplyFillsTheEditorWithTheRenderingAndItsFiles) {
    answerMessageFile(kSampleMessage);
    HWND window = openCompose(5);
    expectSampleRendering(window, "html-with-image-reply.html");
    EXPECT_EQ(documentOf(window).calls, (Strings{"FindConnectionPoint HTMLDocumentEvents2", "Advise", "InitNew",
                                                 "readyState loading", "Load", "readyState loading", "close"}));
    // The composition itself keeps the progress text; the editor shows the HTML.
    EXPECT_EQ(compositionText(window), kProgressText);
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(ComposeFlow, TheProgressTextAndTheEditorCommandComeBeforeAnyFileIsSaved) {
    answerMessageFile(kSampleMessage);
    HostComposeWindow& composeWindow = compose(openCompose(6));
    ASSERT_EQ(composeWindow.editorCommands().size(), 1u);
    const EditorCommandSeen& seen = composeWindow.editorCommands()[0];
    EXPECT_EQ(seen.compositionText, kProgressText);
    EXPECT_EQ(seen.tempFolderEntries, 0u);
    const Strings before(host().calls.begin(), host().calls.begin() + static_cast<std::ptrdiff_t>(seen.hostCallsBefore));
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(before.back(), "BKA_CompSetText");
    EXPECT_EQ(count(before, "BKA_CompSetText"), 1);
    for (const char* saving : {"BKA_GetTempFileName", "BKA_B64Convert"}) {
        EXPECT_EQ(count(before, saving), 0) << saving;
        EXPECT_GT(count(hostCallsFrom(seen.hostCallsBefore), saving), 0) << saving;
    }
    EXPECT_EQ(host().countCalls("BKA_CompSetText"), 1);
}

// The blank document of InitNew and "loading" report first: the caret is
// placed only once the template's elements exist.
TEST_F(ComposeFlow, TheReplyTextIsSelectedOnceTheDocumentIsInteractiveAndEverythingIsReleased) {
    answerMessageFile(kSampleMessage);
    HWND window = openCompose(7);
    TestDocument& document = documentOf(window);
    expectReplyTextSelectedWhenReady(window);

    // The session holds the document until the plug-in exits; then only
    // the editor's own reference is left, and every host block is back.
    EXPECT_GT(document.references(), 1u);
    exitPlugin();
    EXPECT_EQ(document.references(), 1u);
    EXPECT_EQ(host().outstandingBlocks(), 0u);
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(ComposeFlow, ReplyModesUseTheReplyTemplateAndForwardModesTheForwardTemplate) {
    answerMessageFile(kSampleMessage);
    for (int mode : {5, 6, 7, 10, 11, 12}) {
        HWND window = openCompose(mode);
        const char* rendering = mode >= 10 ? "html-with-image-forward.html" : "html-with-image-reply.html";
        EXPECT_EQ(normalised(documentOf(window).loadedBytes), expected(rendering)) << "mode " << mode;
    }
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(ComposeFlow, TheDateIsInTheWindowsTimeZoneWithNamesInTheConfiguredLanguage) {
    writeSettings("[Settings]\r\nLanguage=SimplifiedChinese\r\n");
    answerMessageFile("examples/messages/gb2312-report.eml");
    const std::string reply = documentOf(openCompose(5)).loadedBytes;
    // 08:00 in Beijing is 19:00 the evening before in New York; GBK, as the menus.
    const std::string date = hostsim::convertCharset("2026年12月2日 星期三 19:00", "UTF-8", "GBK").value();
    EXPECT_NE(reply.find("</b> " + date + "</div>"), std::string::npos) << reply;
    EXPECT_TRUE(takeBoxes().empty());
}

// The Greeting template answering GB2312 mail on a Chinese system, whose
// host hands out GBK texts: the sender's name whole, in GBK, as %f has it.
TEST_F(ComposeFlow, TheGreetingGivesAChineseSendersWholeNameInTheHostsCodePage) {
    writeTextFile(templatePath(false), readWholeFile(sourcePath("templates/greeting/torvane.tml")));
    answerMessage(readWholeFile(sourcePath("examples/messages/gb2312-report.eml")), "GBK");
    const std::string reply = documentOf(openCompose(5)).loadedBytes;
    const std::string liMing = hostsim::convertCharset("李明", "UTF-8", "GBK").value();
    EXPECT_NE(reply.find("<div id=\"torvane_text_id\">" + liMing + "&#65292;&#20320;&#22909;</div>"),
              std::string::npos)
        << reply;
    EXPECT_NE(reply.find("<div>" + liMing + " &lt;liming@example.cn&gt; &#20110; "), std::string::npos) << reply;
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(ComposeFlow, APlainTextMessageBecomesDivsWithConvertTextOn) {
    writeSettings("[Settings]\r\nConvertText=TRUE\r\n");
    answerMessageFile(kPlainMessage);
    const std::string lunch = documentOf(openCompose(6)).loadedBytes;
    // The host hands out the body with CR LF line ends; the CRs stay in the lines.
    EXPECT_NE(lunch.find("<div class=\"quote\"><div>Hi Dana,\r</div><div>&nbsp;</div><div>Are you free for lunch on "
                         "Friday? The place on &lt;Main Street&gt; at 12:30?\r</div><div>&nbsp;</div><div>  Sam\r</div>"
                         "<div>&nbsp;</div></div>"),
              std::string::npos)
        << lunch;

    // A line of only a CR is blank; without a final line end no blank div follows.
    answerMessage("From: Sam Lee <sam@example.net>\r\nSubject: Brackets\r\n"
                  "Content-Type: text/plain; charset=us-ascii\r\n\r\na<b>\r\n\r\n c");
    const std::string brackets = documentOf(openCompose(11)).loadedBytes;
    EXPECT_NE(brackets.find("<br>\r\n<div>a&lt;b&gt;\r</div><div>&nbsp;</div><div> c</div>\r\n<br>"), std::string::npos)
        << brackets;
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(ComposeFlow, APlainTextMessageIsLeftToTheHostWithConvertTextOff) {
    writeSettings("[Settings]\r\nConvertText=FALSE\r\n");
    answerMessageFile(kPlainMessage);
    HWND window = openCompose(5);
    EXPECT_EQ(compositionText(window), kHostReplyBody);
    EXPECT_TRUE(compose(window).editorCommands().empty());
    EXPECT_EQ(host().countCalls("BKA_CompSetText"), 0);
    EXPECT_TRUE(tempFiles().empty());
    exitPlugin();
    EXPECT_EQ(host().outstandingBlocks(), 0u);
}

TEST_F(ComposeFlow, AMissingTemplateIsNamedAndTheHostsBodyStays) {
    answerMessageFile(kSampleMessage);
    for (bool forward : {false, true}) {
        ASSERT_TRUE(DeleteFileA(templatePath(forward).c_str()));
        HWND window = openCompose(forward ? 12 : 7);
        const std::vector<CaughtBox> boxes = takeBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Template " + templatePath(forward) + " not found!");
        EXPECT_EQ(boxes[0].caption, "");
        EXPECT_EQ(compositionText(window), kHostReplyBody);
        EXPECT_TRUE(compose(window).editorCommands().empty());
    }
    EXPECT_EQ(host().countCalls("BKA_CompSetText"), 0);
    EXPECT_TRUE(tempFiles().empty());
    exitPlugin();
    EXPECT_EQ(host().outstandingBlocks(), 0u);
}

TEST_F(ComposeFlow, ATemplateThatCannotBeReadCountsAsMissing) {
    answerMessageFile(kSampleMessage);
    HWND window = nullptr;
    {
        // Held open without sharing: the file is there, but nobody else may read it.
        const platform::OwnedHandle lock(platform::nullIfInvalid(
            CreateFileA(templatePath(false).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)));
        ASSERT_TRUE(lock);
        window = openCompose(5);
    }
    const std::vector<CaughtBox> boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Template " + templatePath(false) + " not found!");
    EXPECT_EQ(boxes[0].caption, "");
    EXPECT_EQ(compositionText(window), kHostReplyBody);
    EXPECT_TRUE(compose(window).editorCommands().empty());
}

TEST_F(ComposeFlow, ATemplateWithoutHtmlPartLoadsAnEmptyDocument) {
    writeTextFile(templatePath(false), "MIME-Version: 1.0\r\nContent-Type: text/plain\r\n\r\nNo HTML here %m\r\n");
    answerMessageFile(kSampleMessage);
    TestDocument& document = documentOf(openCompose(5));
    EXPECT_EQ(document.loadedBytes, "");
    EXPECT_EQ(count(document.calls, "Load"), 1);
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(ComposeFlow, WithoutAnEditorNothingIsLoadedAndNothingSubclassed) {
    answerMessageFile(kSampleMessage);
    HWND window = openCompose(5, EditorKind::None);
    EXPECT_EQ(compose(window).editorCommands().size(), 1u);
    EXPECT_EQ(compositionText(window), kProgressText);
    // The flow went on to the end all the same.
    EXPECT_EQ(tempFile("report.pdf"), kSampleReportBytes);
    EXPECT_FALSE(hasSubclassProperties(window));
    EXPECT_TRUE(takeBoxes().empty());
    exitPlugin();
    EXPECT_EQ(host().outstandingBlocks(), 0u);
}

TEST_F(ComposeFlow, AnEditorThatGivesNoDocumentLeavesTheProgressText) {
    answerMessageFile(kSampleMessage);
    HWND silent = openCompose(5, EditorKind::Silent);
    EXPECT_EQ(compose(silent).editor()->getObjectRequests(), 1);
    EXPECT_EQ(compositionText(silent), kProgressText);

    // Its thread handles no messages: the request is given up, not waited for.
    const ULONGLONG started = GetTickCount64();
    HWND hung = openCompose(10, EditorKind::Hung);
    EXPECT_LT(GetTickCount64() - started, 5000u);
    ASSERT_NE(compose(hung).editorHandle(), nullptr);
    EXPECT_EQ(compositionText(hung), kProgressText);
    EXPECT_TRUE(takeBoxes().empty());
    exitPlugin();
    EXPECT_EQ(host().outstandingBlocks(), 0u);
}

}  // namespace
}  // namespace wintest
