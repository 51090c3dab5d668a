// The compose window's HTML editor, subclassed so that a right click shows
// the plug-in's pop-up menu. One window procedure serves every subclassed
// editor: it finds the editor's previous procedure and its session through
// the two window properties named after the editor's handle.
#pragma once

#include <windows.h>

#include "composer/win/subclass_record.h"

// Subclasses the editor once per record.
void subclassEditor(SubclassRecord& record, HWND editorWindow);

// Gives the editor its own window procedure back.
void unsubclassEditor(HWND editorWindow, SubclassRecord& record);

LRESULT CALLBACK editorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
