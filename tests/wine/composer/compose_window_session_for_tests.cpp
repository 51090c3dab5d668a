// The window-bound session's construction and tear-down, reduced to the
// fields the editor document code reads: these tests need neither the
// settings file nor the editor's subclassing.
#include "composer/win/compose_window_session.h"

ComposeWindowSession::ComposeWindowSession(HWND composeWindow, SessionKind kind, const SessionFlags& flags,
                                           HMODULE oleaccModule, UINT getObjectMessage,
                                           ObjectFromLresultFn objectFromLresultFn)
    : ComposeSession(composeWindow, kind, flags),
      objectFromLresultFn(objectFromLresultFn),
      subclassRecord(composeWindow),
      oleaccModule(oleaccModule),
      getObjectMessage(getObjectMessage) {}

ComposeWindowSession::~ComposeWindowSession() { releaseDocument(); }
