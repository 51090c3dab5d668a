// %N and %A: the user's name and address from the mailbox's "MailBox.ini".
#pragma once

#include "mime/charset.h"

class SinglePass;

// Registers %N (converted, not escaped), then %A (escaped, not converted).
// Without the file both are empty.
void registerIdentityPlaceholders(SinglePass& pass, CharsetCode code);
