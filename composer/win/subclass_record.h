// The subclassing state of one compose window's HTML editor.
#pragma once

#include <windows.h>

struct SubclassRecord {
    explicit SubclassRecord(HWND composeWindow) : composeWindow(composeWindow) {}

    HWND composeWindow = nullptr;  // the value stored in the session property
    WNDPROC previousProc = nullptr;
    bool subclassed = false;
    char procPropertyName[100] = {};     // "SCID%.8X" with the editor window
    char sessionPropertyName[100] = {};  // "SCCMID%.8X" with the editor window
};
