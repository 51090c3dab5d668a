// Makes one of the test host's own exports unresolvable while the object
// lives: its entry in the export address table is zeroed, so GetProcAddress
// returns null for the name, as it would for a host that lacks it.
#pragma once

#include <windows.h>

#include <string>

namespace wintest {

class HiddenHostExport {
public:
    // Throws std::runtime_error when the host does not export the name.
    explicit HiddenHostExport(const std::string& name);
    ~HiddenHostExport();
    HiddenHostExport(const HiddenHostExport&) = delete;
    HiddenHostExport& operator=(const HiddenHostExport&) = delete;

private:
    DWORD* entry_ = nullptr;
    DWORD savedAddress_ = 0;
};

}  // namespace wintest
