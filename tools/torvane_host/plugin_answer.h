// One answer made by the plug-in itself: testtorvane.dll loaded from a
// folder, given the simulated host's functions (exported by this program),
// real host windows, an editor whose document loads asynchronously, and a
// message box catcher; then driven through its callbacks as the mail client
// drives it for one reply or forward.
#pragma once

#include <functional>
#include <string>

namespace torvanehost {

struct AnswerRequest {
    std::string pluginPath;    // testtorvane.dll; its templates and ini lie beside it
    std::string rawMessage;    // the message being answered
    std::string messageFile;   // the file it ends, read again when the plug-in asks; empty: none
    std::string mailboxFolder; // ends in a backslash
    std::string tempFolder;    // ends in a backslash
    std::string settingsPath;  // its ini instead of the one beside it; empty: that one
    std::string charset;       // chosen from the editor's pop-up menu afterwards; empty: none
    bool refresh = false;      // "Refresh HTML" chosen from that menu afterwards
    bool forward = false;
};

enum class AnswerOutcome {
    Rendered,       // the editor received the HTML
    LeftToHost,     // the plug-in left the reply to the mail client (a plain-text message)
    Failed,         // it did not load the editor (a message box says why)
    MenuItemUnusable,  // the pop-up menu had no such item, or it was greyed
};

struct Answer {
    AnswerOutcome outcome = AnswerOutcome::Failed;
    std::string html;  // what the editor's document loaded last
};

// Throws std::runtime_error when the plug-in cannot be loaded or bound.
// `onBox` gets every message box's caption and text, in the host's code page.
// The request's message is taken over, not copied: rawMessage is left empty.
Answer answerWithPlugin(AnswerRequest& request,
                        const std::function<void(const std::string&, const std::string&)>& onBox);

}  // namespace torvanehost
