// The host's side of a reply or forward: a started plug-in with its two
// templates, a mailbox with an identity and one signature, a message read
// from a real .eml file as the host hands it out (texts in the host's local
// code page), and compose windows that get an editor on the command 0x8047.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/wine/host_fixture.h"

namespace wintest {

// What the host shows in a new reply before the plug-in replaces it.
inline constexpr char kHostReplyBody[] = "> the host's own quoted reply\r\n";
inline constexpr char kProgressText[] = "Loading HTML...\r\n";

// The sample message html-with-image.eml answered with the sample templates:
// its attachment and the decoded bytes of its picture and of the template's.
inline constexpr char kSampleMessage[] = "examples/messages/html-with-image.eml";
inline constexpr char kSampleReportBytes[] = "%PDF-1.4\n1 0 obj<<>>endobj\ntrailer<<>>\n%%EOF\n";
inline constexpr char kSamplePhotoBase64[] =
    "iVBORw0KGgoAAAANSUhEUgAAABAAAAAQCAIAAACQkWg2AAAAFklEQVR4nGO4kKBAEmIY1TCqYfhqAABRPVAQt/akfQAAAABJRU5ErkJggg==";
inline constexpr char kSampleLogoBase64[] =
    "iVBORw0KGgoAAAANSUhEUgAAABgAAAAICAIAAABsw6g0AAAAFElEQVR4nGPQyt9AFcQwatBINggAIT/2wXL1baEAAAAASUVORK5CYII=";

class ComposeFlowFixture : public HostFixture {
protected:
    void SetUp() override;  // prepareHost, then the plug-in started
    // The host's folders, windows, mailbox and one signature; nothing loaded.
    void prepareHost();

    // The mailbox's only signature file, holding `text` as one line.
    void writeSignature(const std::string& text);

    // The message being answered: an RFC 5322 file of the source tree, or its
    // text; the host's texts in the system's code page, or in the one named.
    void answerMessageFile(const std::string& relativePath);
    void answerMessage(const std::string& rawSource, const std::string& hostCodePage = "ACP");

    // Opens a compose window as the host does for `mode` (its Subject and
    // the host's reply body set) and calls BKC_OnOpenCompose for it; then
    // another subclasser sits on the editor (see HostComposeWindow).
    HWND openCompose(int mode, EditorKind editorKind = EditorKind::Answering);
    HostComposeWindow& compose(HWND window) { return composeWindow(window); }
    HWND editorOf(HWND window) { return compose(window).editorHandle(); }
    // The document in the window's editor; throws when there is none.
    TestDocument& documentOf(HWND window);
    // A right click in the window's editor, at a screen position.
    LRESULT rightClick(HWND window, LPARAM position = MAKELPARAM(30, 40));
    // The composition's body text as the host keeps it.
    std::string compositionText(HWND window) { return host().compositions[window].bodyText; }

    // Names of the files in the host's temporary folder, sorted.
    std::vector<std::string> tempFiles();
    std::string tempFile(const std::string& name) { return readWholeFile(host().tempFolder + name); }

    // The HTML as the expected renderings write it (tests/expected_rendering.h),
    // and the expected rendering of that name.
    std::string normalised(const std::string& html);
    static std::string expected(const std::string& name);

    // The calls the plug-in made to the host, from `first` on.
    std::vector<std::string> hostCallsFrom(std::size_t first);

    // The window's editor holds the rendering of the sample message named
    // (tests/data/rendering), its attachment and both pictures are saved in the
    // host's temporary folder, and no "cid:" reference is left.
    void expectSampleRendering(HWND window, const std::string& rendering);
    // The host's message loop after the latest load: once the document is
    // "interactive" the editor is repainted, the reply text selected and in
    // view, and the sink unadvised; later changes reach no sink.
    void expectReplyTextSelectedWhenReady(HWND window);
};

// The src values of the <img> elements of an HTML text, in order.
std::vector<std::string> imageSources(const std::string& html);

}  // namespace wintest
