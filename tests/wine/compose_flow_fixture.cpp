#include "tests/wine/compose_flow_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <stdexcept>

#include "composer/win/html_ids.h"
#include "tests/expected_rendering.h"
#include "tools/hostsim/converters.h"
#include "tools/hostsim/message_loader.h"

namespace wintest {
namespace {

std::string headerValue(const hostsim::SimMessage& message, const std::string& name) {
    for (const auto& header : message.headers)
        if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, header.first.c_str(), -1, name.c_str(), -1) ==
            CSTR_EQUAL)
            return header.second;
    return std::string();
}

}  // namespace

void ComposeFlowFixture::SetUp() {
    prepareHost();
    startPlugin();
}

void ComposeFlowFixture::prepareHost() {
    HostFixture::SetUp();
    const std::string mailbox = host().dataFolder + host().currentMailBox;
    // The mailbox of the renderings shared with the tool's tests.
    for (const char* name : expected_rendering::kSharedMailboxFiles)
        writeTextFile(mailbox + name, readWholeFile(sourcePath(std::string("examples/mailbox/") + name)));
}

void ComposeFlowFixture::writeSignature(const std::string& text) {
    writeTextFile(host().dataFolder + host().currentMailBox + "$$$00000Default.txt", text + "\r\n");
}

TestDocument& ComposeFlowFixture::documentOf(HWND window) {
    TestDocument* document = compose(window).document();
    if (!document) throw std::runtime_error("the compose window has no editor document");
    return *document;
}

LRESULT ComposeFlowFixture::rightClick(HWND window, LPARAM position) {
    HWND editor = editorOf(window);
    return SendMessageA(editor, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(editor), position);
}

void ComposeFlowFixture::answerMessageFile(const std::string& relativePath) {
    answerMessage(readWholeFile(sourcePath(relativePath)));
}

// The host converts every text it hands out into its code page.
void ComposeFlowFixture::answerMessage(const std::string& rawSource, const std::string& hostCodePage) {
    host().localCodePage = hostCodePage;
    host().message = hostsim::loadMessage(rawSource, hostCodePage);
}

HWND ComposeFlowFixture::openCompose(int mode, EditorKind editorKind) {
    HWND window = openComposeWindow(editorKind);
    const bool forward = mode >= 10;
    hostsim::SimComposition& composition = host().compositions[window];
    composition.subject = hostsim::composeSubject(headerValue(host().message, "Subject"), forward);
    composition.bodyText = kHostReplyBody;
    EXPECT_EQ(plugin().onOpenCompose(window, mode), 0);
    compose(window).addForeignSubclass();
    return window;
}

std::vector<std::string> ComposeFlowFixture::tempFiles() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((host().tempFolder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string ComposeFlowFixture::normalised(const std::string& html) {
    return expected_rendering::comparableRendering(html, host().tempFolder);
}

std::string ComposeFlowFixture::expected(const std::string& name) {
    return readWholeFile(sourcePath(expected_rendering::kFolder + name));
}

std::vector<std::string> ComposeFlowFixture::hostCallsFrom(std::size_t first) {
    const std::vector<std::string>& calls = host().calls;
    return std::vector<std::string>(calls.begin() + static_cast<std::ptrdiff_t>(std::min(first, calls.size())),
                                    calls.end());
}

void ComposeFlowFixture::expectSampleRendering(HWND window, const std::string& rendering) {
    const std::string loaded = documentOf(window).loadedBytes;
    EXPECT_EQ(normalised(loaded), expected(rendering));
    // The attachment under its own name, the pictures under the host's names;
    // the "cid:" references point at the pictures' files.
    EXPECT_EQ(tempFile("report.pdf"), kSampleReportBytes);
    EXPECT_EQ(loaded.find("cid:"), std::string::npos);
    const std::vector<std::string> images = imageSources(loaded);
    ASSERT_EQ(images.size(), 2u);
    for (const std::string& image : images) EXPECT_EQ(image.rfind(host().tempFolder, 0), 0u) << image;
    EXPECT_EQ(readWholeFile(images[0]), hostsim::decodeBase64(kSampleLogoBase64));
    EXPECT_EQ(readWholeFile(images[1]), hostsim::decodeBase64(kSamplePhotoBase64));
}

void ComposeFlowFixture::expectReplyTextSelectedWhenReady(HWND window) {
    TestDocument& document = documentOf(window);
    const EditorWindow* editor = compose(window).editor();
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(document.loadedBytes.find("id=\"torvane_text_id\""), std::string::npos);
    // Still waiting: "loading" came and went. The connection point and the
    // session hold the sink.
    ASSERT_EQ(document.readyState(), std::string("loading"));
    ASSERT_EQ(document.sinkReferences(), std::vector<ULONG>{2});

    const std::size_t callsBefore = document.calls.size();
    const std::size_t paintsBefore = editor->paintsDuringReadyStateChanges().size();
    const auto paintsSince = [&] {
        const std::vector<ReceivedMessage> paints = editor->paintsDuringReadyStateChanges();
        return std::vector<ReceivedMessage>(paints.begin() + static_cast<std::ptrdiff_t>(paintsBefore), paints.end());
    };
    runPendingMessages();
    EXPECT_EQ(std::vector<std::string>(document.calls.begin() + static_cast<std::ptrdiff_t>(callsBefore),
                                       document.calls.end()),
              (std::vector<std::string>{"readyState interactive", "get_all", "item torvane_text_id 0",
                                        "get_selection", "createRange", "collapse true",
                                        "moveToElementText element", "select", "scrollIntoView true", "Unadvise",
                                        "readyState complete"}));
    // Repainted by the system, frame and all.
    EXPECT_EQ(systemRepaints(paintsSince()), 1u);
    EXPECT_EQ(document.connectedSinks(), 0u);
    EXPECT_TRUE(document.fire(kDispidReadyStateChange).empty());
}

std::vector<std::string> imageSources(const std::string& html) {
    std::vector<std::string> sources;
    const std::regex image(R"re(<img src="([^"]*)")re");
    for (std::sregex_iterator it(html.begin(), html.end(), image), end; it != end; ++it) sources.push_back((*it)[1]);
    return sources;
}

}  // namespace wintest
