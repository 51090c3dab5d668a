#include "tools/torvane/placeholder_reference.h"

#include <iomanip>

namespace torvane {
namespace {

struct Placeholder {
    const char* name;
    const char* inserts;
    const char* example;
};

constexpr Placeholder kPlaceholders[] = {
    {"%f", "the sender: the From header (converted into the reply's charset)", "\"Alex Moreno\" <alex@example.com>"},
    {"%n", "the sender's name as written in From (not converted)", "\"Alex Moreno\""},
    {"%a", "the sender's address", "alex@example.com"},
    {"%F{fallback}", "the sender's first name (an addition); fallback, or %F alone, when there is none", "Alex"},
    {"%t", "the To header", "Dana Whitfield <dana@example.org>"},
    {"%d", "the Date header as the sender wrote it", "Tue, 01 Dec 2026 09:14:02 +0100"},
    {"%D{pattern}", "the date in your time zone and Language; %D{} the usual form", "Tue, 1 Dec 2026 16:14 (UTC+8)"},
    {"%i", "the Message-ID header", "<20261201091402.4711@mail.example>"},
    {"%I", "the Message-ID without its angle brackets", "20261201091402.4711@mail.example"},
    {"%s", "the reply's subject", "Re: Site visit report"},
    {"%S", "the reply's subject without one leading \"Re:\"", "Site visit report"},
    {"%h{\"prefix\"Name}", "the header Name, after the prefix; nothing when it is absent", "%h{\"Cc: \"Cc}: Cc: Sam Lee <sam@example.net>"},
    {"%m", "the received message, as HTML", "<html><body><p>Hi Dana,</p>..."},
    {"%LH{label}", "the label and the attachments' names on one line", "%LH{Attachments:}: Attachments: report.pdf"},
    {"%LV{label}", "the label and the attachments' names, numbered, one per line", "%LV{Files:}: Files:<br/>(1)report.pdf"},
    {"%N", "your name: YourName in the mailbox's MailBox.ini", "Dana Whitfield"},
    {"%A", "your address: MailAddress in MailBox.ini", "dana@example.org"},
    {"%G{name}", "the signature file whose name holds name ($$$00000Default.txt if none)", "%G{Work}: <span ...><b>Dana Whitfield</b> | Kestrum Field Office</span>"},
    {"%R", "a signature file drawn at random (Refresh draws another)", "Best regards, / Dana Whitfield"},
    {"%CETXT{a}{b}", "a in a reply in a Chinese charset (GB2312, GB18030, HZ, Big5), else b", "%CETXT{...}{Type your reply here}: Type your reply here"},
    {"%%", "one %", "%"},
};

}  // namespace

void printPlaceholderReference(std::ostream& out) {
    out << "placeholders (examples from the reply to examples/messages/html-with-image.eml):\n";
    for (const Placeholder& placeholder : kPlaceholders) {
        out << "  " << std::left << std::setw(18) << placeholder.name << placeholder.inserts << "\n  "
            << std::setw(18) << "" << "e.g. " << placeholder.example << '\n';
    }
}

}  // namespace torvane
