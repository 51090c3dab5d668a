// The compose window's HTML editor, subclassed so that a right click shows
// the plug-in's pop-up menu. One window procedure serves every subclassed
// editor: it finds the editor's previous procedure and its session through
// the two window properties named after the editor's handle.
#pragma once

#include <windows.h>

#include "composer/win/subclass_record.h"

// Subclasses the editor once per record, keeping the window Unicode. When
// the system refuses, the box "Error in IE subclass!" is shown and no
// property is left on the window.
void subclassEditor(SubclassRecord& record, HWND editorWindow);

// Gives the editor its own window procedure back, when ours is still the
// current one. When someone subclassed the editor after us, our procedure
// stays in their chain with its properties, handing everything on, and this
// module stays loaded for the rest of the process.
void unsubclassEditor(HWND editorWindow, SubclassRecord& record);

LRESULT CALLBACK editorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
