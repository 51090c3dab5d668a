// Module load: bind the host interface (or refuse to load) and derive the
// paths of the plug-in's own files.
#include <windows.h>

#include "platform/host_api.h"
#include "shell/module_paths.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    if (!bindHostApi()) return FALSE;
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(instance, path, MAX_PATH);
    try {
        setModulePath(path);
    } catch (...) {
        return FALSE;
    }
    return TRUE;
}
