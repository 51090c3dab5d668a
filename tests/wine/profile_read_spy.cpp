#include "tests/wine/profile_read_spy.h"

#include <utility>

namespace wintest {
namespace {

using GetPrivateProfileStringFn = DWORD(WINAPI*)(LPCSTR, LPCSTR, LPCSTR, LPSTR, DWORD, LPCSTR);

GetPrivateProfileStringFn forwardTo = nullptr;
std::vector<ProfileRead> reads;

DWORD WINAPI recordRead(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size, LPCSTR path) {
    reads.push_back({section ? section : "", key ? key : "", path ? path : ""});
    return forwardTo(section, key, defaultValue, buffer, size, path);
}

}  // namespace

ProfileReadSpy::ProfileReadSpy(HMODULE plugin)
    : hook_(std::make_unique<ImportHook>(plugin, "KERNEL32.dll", "GetPrivateProfileStringA",
                                         reinterpret_cast<void*>(&recordRead))) {
    forwardTo = reinterpret_cast<GetPrivateProfileStringFn>(hook_->original());
    reads.clear();
}

ProfileReadSpy::~ProfileReadSpy() {
    hook_.reset();
    reads.clear();
}

std::vector<ProfileRead> ProfileReadSpy::take() { return std::exchange(reads, {}); }

}  // namespace wintest
