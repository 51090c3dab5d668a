// Records the plug-in's reads of INI values (its GetPrivateProfileStringA
// calls) and passes each on to the system.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tools/winhost/import_hook.h"

namespace wintest {

struct ProfileRead {
    std::string section;
    std::string key;
    std::string path;
};

class ProfileReadSpy {
public:
    explicit ProfileReadSpy(HMODULE plugin);
    ~ProfileReadSpy();
    ProfileReadSpy(const ProfileReadSpy&) = delete;
    ProfileReadSpy& operator=(const ProfileReadSpy&) = delete;

    // The reads so far, oldest first; the record is emptied.
    std::vector<ProfileRead> take();

private:
    std::unique_ptr<ImportHook> hook_;
};

}  // namespace wintest
