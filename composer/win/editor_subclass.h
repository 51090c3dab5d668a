// The compose window's HTML editor, subclassed so that a right click shows
// the plug-in's pop-up menu.
#pragma once

#include <windows.h>

#include "composer/win/subclass_record.h"

// Subclasses the editor once per record.
void subclassEditor(SubclassRecord& record, HWND editorWindow);

// Gives the editor its own window procedure back.
void unsubclassEditor(HWND editorWindow, SubclassRecord& record);
