// The plug-in's answers to the editors' window procedure: its session
// registry and its compose pop-up menu. Installed by BKC_OnStart and taken
// away by BKC_OnExit, after which a subclassed editor that is still in some
// chain only hands its messages on.
#pragma once

void installEditorOwner();
void removeEditorOwner();
