// Per-window state of one compose window. This portable part holds what the
// template engine, the signature store and the compose flow's portable steps
// read and write; the Windows shell derives the window-bound session from it.
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

class ComposeSession {
public:
    ComposeSession(HostWindow composeWindow, SessionKind kind) : composeWindow(composeWindow), kind(kind) {}
    virtual ~ComposeSession() = default;
    ComposeSession(const ComposeSession&) = delete;
    ComposeSession& operator=(const ComposeSession&) = delete;

    HostWindow editorWindow = nullptr;
    HostWindow composeWindow = nullptr;
    bool convertText = false;
    bool resetCharset = false;
    InterfaceLanguage language = InterfaceLanguage::English;
    LocalCodePage localCodePage = LocalCodePage::OfLanguage;
    std::string quotedBody;
    std::string templateText;
    std::string renderedText;
    std::string signatureText;
    AttachmentList attachments;
    SessionKind kind = SessionKind::Compose;
    bool signatureIsHtml = false;
};
