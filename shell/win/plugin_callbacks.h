// The seven callbacks the host calls, exported by name (testtorvane.def).
// Every one runs on the host's user-interface thread.
#pragma once

#include <windows.h>

// The host's plug-in information record: four NUL-terminated texts, each
// beginning 80 bytes after the previous one.
struct PlugInInfoRecord {
    char name[80];
    char maker[80];
    char version[80];
    char description[80];
};

extern "C" {
int WINAPI BKC_OnStart();
int WINAPI BKC_OnExit();
int WINAPI BKC_OnMenuInit(HWND window, HMENU menu, int kind);
int WINAPI BKC_OnOpenCompose(HWND window, int mode);
int WINAPI BKC_OnKeyDispatch(HWND window, int key, int shift);
int WINAPI BKC_OnPlugInSetup(HWND window);
int WINAPI BKC_OnPlugInInfo(PlugInInfoRecord* record);
}
