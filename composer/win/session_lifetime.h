// How long a compose window's session lives. An operation of a session (the
// compose flow, a re-rendering, a refresh) can show a message box, whose
// message loop lets the user close the compose window: the session's
// destruction then waits for the outermost operation to end.
#pragma once

#include <memory>

#include "composer/win/compose_window_session.h"

// Marks a session busy while one of its operations runs.
class SessionOperation {
public:
    explicit SessionOperation(ComposeWindowSession& session);
    ~SessionOperation();
    SessionOperation(const SessionOperation&) = delete;
    SessionOperation& operator=(const SessionOperation&) = delete;

private:
    ComposeWindowSession& session_;
};

// Destroys a session taken out of its registry, or, while an operation of it
// runs, detaches it from its window now and destroys it when that operation
// ends. `comClosing`: the apartment is about to close, so the document goes
// now, since it cannot outlive the apartment it lives in.
void retireSession(std::unique_ptr<ComposeWindowSession> session, bool comClosing);
