// A fresh folder under the system's temporary folder, removed with all its
// content when the object goes. Paths use backslashes; folder texts end in one.
#pragma once

#include <string>

namespace wintest {

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    // A subfolder, created if needed.
    std::string subfolder(const std::string& name) const;

private:
    std::string path_;
};

void writeTextFile(const std::string& path, const std::string& text);
void removeTree(const std::string& folder);

}  // namespace wintest
