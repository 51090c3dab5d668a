// Access to the compose window's HTML editor: finding its window. Loading a
// text into its document is ComposeWindowSession::loadHtml (editor_document.cpp).
#pragma once

#include <windows.h>

// EnumChildWindows callback: `out` is the address of an HWND that receives
// the first descendant whose class is exactly "Internet Explorer_Server";
// returns FALSE there to end the enumeration.
BOOL CALLBACK findEditorWindow(HWND window, LPARAM out);
