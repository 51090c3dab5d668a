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

class ComposeFlowFixture : public HostFixture {
protected:
    void SetUp() override;

    // The message being answered: an RFC 5322 file of the source tree, or its text.
    void answerMessageFile(const std::string& relativePath);
    void answerMessage(const std::string& rawSource);

    // Opens a compose window as the host does for `mode` (its Subject and
    // the host's reply body set) and calls BKC_OnOpenCompose for it.
    HWND openCompose(int mode, EditorKind editorKind = EditorKind::Answering);
    HostComposeWindow& compose(HWND window) { return composeWindow(window); }
    // The composition's body text as the host keeps it.
    std::string compositionText(HWND window) { return host().compositions[window].bodyText; }

    // Names of the files in the host's temporary folder, sorted.
    std::vector<std::string> tempFiles();
    std::string tempFile(const std::string& name) { return readWholeFile(host().tempFolder + name); }

    // The HTML with the host's temporary folder written as "{TEMP}\" and the
    // host's generated file names "tvXXXXX." numbered by creation, "tv#1.".
    std::string normalised(std::string html);
    static std::string expected(const std::string& name);

    // The calls the plug-in made to the host, from `first` on.
    std::vector<std::string> hostCallsFrom(std::size_t first);
};

// The src values of the <img> elements of an HTML text, in order.
std::vector<std::string> imageSources(const std::string& html);

}  // namespace wintest
