// The portable steps of the reply/forward flow: reading the message being
// answered, its body as HTML, the template, attachments, inline images and
// the first rendering. The plug-in's window steps (progress text, finding
// the editor, loading) wrap this; the torvane tool runs it on its own.
#pragma once

#include <functional>
#include <string>

class ComposeSession;

enum class ComposeOutcome {
    Rendered,         // `html` holds the first rendering
    BodyNotHtml,      // a plain-text message while ConvertText is off
    TemplateMissing,  // the box "Template <path> not found!" was shown
    Failed,           // an error box was shown
};

struct ComposeResult {
    ComposeOutcome outcome = ComposeOutcome::Failed;
    std::string html;
};

// "torvane.tml" or "torvanefwd.tml" in the module's folder.
std::string templatePathFor(const std::string& moduleFolder, bool forward);

// Runs the flow up to the first rendering. `beforeSavingFiles` runs once the
// template has been read and parsed (the compose window's progress step).
ComposeResult composeReply(ComposeSession& session, const std::string& templatePath,
                           const std::function<void()>& beforeSavingFiles);

// The template rendered again from the session's inputs under `charsetName`
// ("" = the charset the host reports for the message); no new signature.
std::string rerenderedText(ComposeSession& session, const std::string& charsetName);

// The last rendering with a newly drawn random signature in place of its
// signature tokens.
std::string refreshedText(ComposeSession& session);
