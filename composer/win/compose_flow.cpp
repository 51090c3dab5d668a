// The reply and forward flow of a compose window: the portable steps of
// composeReply, with the compose window's own steps around them.
#include "composer/win/compose_window_session.h"

#include <utility>

#include "composer/compose_core.h"
#include "composer/win/editor_document.h"
#include "platform/host_api.h"
#include "platform/message_box.h"

namespace {

const char kProgressText[] = "Loading HTML...\r\n";
// The host's compose command that puts its HTML editor into the window.
constexpr WPARAM kHtmlEditorCommand = 0x8047;

}  // namespace

bool ComposeWindowSession::runComposeFlow(const std::string& templatePath) {
    // The editor has to exist before attachments and pictures are written,
    // and the user sees why the window is busy while they are.
    const auto showProgressAndOpenEditor = [this] {
        hostApi().BKA_CompSetText(composeWindow, 0, kProgressText);
        SendMessageA(composeWindow, WM_COMMAND, kHtmlEditorCommand, 0);
    };
    ComposeResult result = composeReply(*this, templatePath, showProgressAndOpenEditor);
    // Removed while one of the flow's boxes was up: the window is no longer ours.
    if (result.outcome != ComposeOutcome::Rendered || detached) return false;

    try {
        // Without an editor below the window, the one found before stays.
        EnumChildWindows(composeWindow, findEditorWindow, reinterpret_cast<LPARAM>(&editorWindow));
        loadHtml(std::move(result.html));
    } catch (...) {
        platform::showMessageBox("Error in replacing HTML!", "Error");
        return false;
    }
    return true;
}
