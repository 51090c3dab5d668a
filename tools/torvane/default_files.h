// What render uses when the command line does not say: files beside the
// tool (as unpacked from the release archive), else built-in defaults. The
// tool never depends on the tree it was built from.
#pragma once

#include <string>

namespace torvane {

// The tool's own folder, ending in a separator; empty when the system does
// not tell.
std::string toolFolder();

// The template to render with. Without --template: torvane.tml
// (torvanefwd.tml) beside the tool when there is one, else the built-in
// Classic pair, written to a temporary file that lives as long as the object.
class TemplateFile {
public:
    TemplateFile(const std::string& given, bool forward);
    ~TemplateFile();
    TemplateFile(const TemplateFile&) = delete;
    TemplateFile& operator=(const TemplateFile&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
    bool temporary_ = false;
};

// The folder with MailBox.ini and the $$$*.txt signature files: `given`
// (--mailbox) when not empty, else the folder "mailbox" beside the tool when
// there is one, else none (""). Throws UsageError when there is none and
// `templateText` uses a placeholder that takes its value from a mailbox (%N,
// %A, %G, %R), naming the placeholder and --mailbox.
std::string mailboxFolder(const std::string& given, const std::string& templateText);

// A mailbox folder that does not exist, inside `tempFolder`: no MailBox.ini,
// no signature, as the plug-in renders for a mailbox without them.
std::string emptyMailboxIn(const std::string& tempFolder);

}  // namespace torvane
