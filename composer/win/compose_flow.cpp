// The reply and forward flow of a compose session.
#include "shell/win/compose_window_session.h"

bool ComposeWindowSession::runComposeFlow(bool /*forward*/) { return false; }
