// The state behind `torvane serve`'s page: the files it may render, whether
// any of them changed, and renderings of a chosen template and message into
// the server's own temporary folder. Not thread-safe: the server calls it
// from one thread (the plug-in's engine runs on one simulated host).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace torvane {

struct ServeFolders {
    std::string templates;  // every .tml below it can be chosen
    std::string messages;   // every .eml below it can be chosen
    std::string mailbox;    // MailBox.ini and the signature files
    std::string settings;   // the plug-in's settings file; empty for none
    std::string temp;       // the server's own folder, ending in a separator
};

// What the page asks for. Every field must name one of the offered choices.
struct PreviewChoice {
    std::string templateName;  // relative to the templates folder, '/'-separated
    std::string messageName;   // relative to the messages folder
    bool forward = false;
    std::string charset;   // "" = Auto, else one of the editor menu's ten
    std::string language;  // "" = as the settings file says
    std::string zone;      // "" = the computer's time zone, else a POSIX TZ rule offered
};

class PreviewState {
public:
    explicit PreviewState(ServeFolders folders);

    // Looks at the files' names, modification times and sizes; true (and
    // the generation counts up) when anything changed since the last look.
    bool poll();
    unsigned generation() const { return generation_; }

    // The choices as JSON: templates, messages, charsets, languages, zones.
    std::string choicesJson() const;

    // Renders `choice` into a new folder of the temporary folder and
    // returns the page's JSON: the rendering's URL (or null), the error that
    // stopped it (or null), the template's check findings and the message's
    // MIME tree. None when the choice names nothing that is offered.
    std::optional<std::string> renderJson(const PreviewChoice& choice);

private:
    ServeFolders folders_;
    std::vector<std::string> templates_;
    std::vector<std::string> messages_;
    std::string fingerprint_;
    unsigned generation_ = 0;
    unsigned renderings_ = 0;
};

// Whether `name` is that of a folder a rendering is made in ("r12").
bool isRenderingFolder(const std::string& name);

// The ten character sets of the editor's pop-up menu, in its order.
extern const char* const kMenuCharsets[10];

}  // namespace torvane
