// Binds the host interface by name from the process's main executable.
#include "platform/host_api.h"

#include <windows.h>

// <windows.h> maps this name to the Win32 function; here it is the host's type.
#undef GetTempFileName

namespace {

// GetProcAddress hands out a generic entry point; going through void(*)()
// tells the compiler that the real type is restored on purpose.
template <typename Function>
Function entryPoint(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Hosts before kSetStatusVersion may lack BKA_SetStatus; a version text
// longer than 7 characters never counts as older.
bool versionAllowsBinding(const HostApi& bound) {
    const char* version = bound.BKA_GetVersion();
    const bool older = version && lstrlenA(version) <= 7 && lstrcmpA(version, kSetStatusVersion) < 0;
    return older || bound.BKA_SetStatus != nullptr;
}

// Required names in order, the first missing one fails; optional names may
// stay null.
bool resolve(HostApi& bound, HMODULE host) {
#define TORVANE_RESOLVE_REQUIRED(name, type)                       \
    bound.BKA_##name = entryPoint<type>(host, "BKA_" #name);       \
    if (!bound.BKA_##name) return false;
    TORVANE_REQUIRED_HOST_FUNCTIONS(TORVANE_RESOLVE_REQUIRED)
#undef TORVANE_RESOLVE_REQUIRED
#define TORVANE_RESOLVE_OPTIONAL(name, type) bound.BKA_##name = entryPoint<type>(host, "BKA_" #name);
    TORVANE_OPTIONAL_HOST_FUNCTIONS(TORVANE_RESOLVE_OPTIONAL)
#undef TORVANE_RESOLVE_OPTIONAL
    return versionAllowsBinding(bound);
}

}  // namespace

bool bindHostApi() {
    HostApi& api = hostApi();
    if (api.hostModule) return true;
    const HMODULE host = GetModuleHandleA(nullptr);
    if (!host) return false;
    HostApi bound;
    bound.hostModule = host;
    if (!resolve(bound, host)) {
        api = HostApi();
        return false;
    }
    api = bound;
    return true;
}
