// Module load: bind the host interface (or refuse to load) and derive the
// paths of the plug-in's own files. The module's detach does nothing: it runs
// under the loader lock, and only BKC_OnExit tears the plug-in down. A host
// that unloads the module without it leaves the plug-in's state, sessions
// and documents deliberately leaked.
#include <windows.h>

#include "platform/callback_boundary.h"
#include "platform/host_api.h"
#include "shell/module_paths.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    return platform::atCallbackBoundary<BOOL>(FALSE, [&]() -> BOOL {
        if (!bindHostApi()) return FALSE;
        char path[MAX_PATH + 1] = {};
        GetModuleFileNameA(instance, path, MAX_PATH);
        setModulePath(path);
        return TRUE;
    });
}
