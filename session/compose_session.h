// The session model: what one compose window's reply is made from and of.
// The template engine, the signature store, the portable compose flow and the
// torvane tool read and write it; the composer's window-bound session
// (composer/win/compose_window_session.h) adds the editor's document to it.
#pragma once

#include <string>
#include <vector>

#include "platform/host_types.h"

// One saved attachment: the folder it was saved in (ending in a separator)
// and the file name actually used.
struct AttachmentEntry {
    std::string folder;
    std::string fileName;
};
using AttachmentList = std::vector<AttachmentEntry>;

enum class SessionKind { Compose = 1, EditReplyTemplate = 2, EditForwardTemplate = 3 };

// The interface language of the settings file; dates are written in it too.
enum class InterfaceLanguage { English, SimplifiedChinese, TraditionalChinese };

// The code page of the host's local texts, in which the engine writes texts
// of its own (month and weekday names): the plug-in writes Chinese in GBK or
// Big5 by language, as its menus do; the torvane tool's host is UTF-8.
enum class LocalCodePage { OfLanguage, Utf8 };

// What a new session takes from the settings file (session/settings.h).
struct SessionFlags {
    bool convertText = false;   // answer plain-text messages with the template too
    bool resetCharset = false;  // rewrite the template's META charset; enable the charset menu items
    InterfaceLanguage language = InterfaceLanguage::English;  // names months and weekdays in dates
};

class ComposeSession {
public:
    ComposeSession(HostWindow composeWindow, SessionKind kind, const SessionFlags& flags = {})
        : composeWindow(composeWindow),
          convertText(flags.convertText),
          resetCharset(flags.resetCharset),
          language(flags.language),
          kind(kind) {}
    virtual ~ComposeSession() = default;
    ComposeSession(const ComposeSession&) = delete;
    ComposeSession& operator=(const ComposeSession&) = delete;

    HostWindow editorWindow = nullptr;
    HostWindow composeWindow = nullptr;
    bool convertText = false;
    bool resetCharset = false;
    InterfaceLanguage language = InterfaceLanguage::English;
    LocalCodePage localCodePage = LocalCodePage::OfLanguage;
    // False where no new signature is ever drawn on the last rendering (the
    // torvane tool): renderedText is then not stored, and a rendering without
    // signature tokens is not copied again for the final text.
    bool keepsRenderedText = true;
    // False where the body is rendered once and never again (the torvane
    // tool without --charset): the first rendering may then take the quoted
    // body's memory for its text, and quotedBody is left empty.
    bool keepsQuotedBody = true;
    std::string quotedBody;
    std::string templateText;
    std::string renderedText;
    std::string signatureText;
    AttachmentList attachments;
    SessionKind kind = SessionKind::Compose;
    bool signatureIsHtml = false;
};
