#include "composer/win/editor_subclass.h"

void subclassEditor(SubclassRecord& /*record*/, HWND /*editorWindow*/) {}

void unsubclassEditor(HWND /*editorWindow*/, SubclassRecord& /*record*/) {}
