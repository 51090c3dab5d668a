// The compose window's HTML editor, subclassed so that a right click shows
// the plug-in's pop-up menu. One window procedure serves every subclassed
// editor: it finds the editor's previous procedure and its session through
// the two window properties named after the editor's handle.
#pragma once

#include <windows.h>

#include <string>

#include "composer/win/compose_window_session.h"
#include "composer/win/subclass_record.h"

// What a command chosen from the pop-up menu asks for.
struct PopupAction {
    enum Kind { None, Refresh, Rerender } kind = None;
    std::string charsetName;  // for Rerender: "" is the automatic choice
};

// What the editor's window procedure asks of the plug-in that subclassed
// the editor: its sessions and its pop-up menu. The plug-in installs one
// while it is started; without one the procedure hands every message on.
class EditorOwner {
public:
    // The session of the compose window, or null.
    virtual ComposeWindowSession* findSession(HWND composeWindow) = 0;
    // Takes the compose window's session out of the registry: its editor is going.
    virtual void removeSession(HWND composeWindow) = 0;
    // The pop-up menu to show; null leaves the editor its own.
    virtual HMENU popupMenu() = 0;
    // The pop-up menu is opening: enable the items that apply now.
    virtual void enablePopupItems(HMENU menu) = 0;
    virtual PopupAction popupActionFor(int commandId) = 0;

protected:
    ~EditorOwner() = default;
};

// `owner` (or null) answers the editors' window procedure from now on.
void setEditorOwner(EditorOwner* owner);

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
