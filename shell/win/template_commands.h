// Editing a template in a compose window and saving it back: the callbacks
// of the host commands "EditHTMLReply", "EditHTMLForward" and "SaveTemplate".
#pragma once

#include <windows.h>

#include "platform/host_types.h"

// Opens a new compose window whose whole source is the template file of the
// chosen command, and gives that window a (greyed) save item.
void BKA_CALL onEditTemplate(HostWindow window, int commandId);

// Writes the composition's source back to the template the window edits.
void BKA_CALL onSaveTemplate(HostWindow window, int commandId);
