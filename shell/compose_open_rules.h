// Which compose windows the plug-in answers in HTML: the host's compose
// mode and the folder the composition was opened from decide.
#pragma once

#include <string>

enum class ComposeAnswer { None, Reply, Forward };

// Modes 5 to 7 are replies, 10 to 12 forwards; every other mode is left alone.
ComposeAnswer composeAnswerFor(int mode);

// Compositions opened from the draft box or the outbox ("!!!Draft",
// "!!!!Outbox" anywhere in the folder text, any letter case) stay as the
// host made them.
bool isDraftOrOutboxFolder(const std::string& folder);
