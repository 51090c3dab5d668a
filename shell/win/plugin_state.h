// The process-wide state of a started plug-in and its registry of compose
// sessions, one per compose window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>

#include "platform/win/owned.h"
#include "session/compose_session.h"
#include "composer/win/compose_window_session.h"
#include "composer/win/session_lifetime.h"

// Compose window handle, compared as an unsigned number, to its session.
using SessionRegistry = std::map<std::uintptr_t, std::unique_ptr<ComposeWindowSession>>;

inline std::uintptr_t sessionKey(HWND window) { return reinterpret_cast<std::uintptr_t>(window); }

class PluginState {
public:
    // Initialises COM on the calling (the host's user-interface) thread and
    // loads the accessibility library; failures surface later, when a
    // session needs the editor's document.
    PluginState();
    virtual ~PluginState();
    PluginState(const PluginState&) = delete;
    PluginState& operator=(const PluginState&) = delete;

    platform::OwnedLibrary oleaccModule;
    UINT getObjectMessage = 0;
    ObjectFromLresultFn objectFromLresultFn = nullptr;
    SessionRegistry sessions;

private:
    bool comInitialized_ = false;
};

// The state of the started plug-in; null before BKC_OnStart and after
// BKC_OnExit. Only destroyPluginState (BKC_OnExit) tears it down: a module
// unloaded without BKC_OnExit leaves it, its sessions and their documents
// as they are, since its detach runs under the loader lock.
PluginState* pluginState();
void createPluginState();
void destroyPluginState();

// Creates a session for the window unless it has one; true when created.
// False as well when the plug-in has not been started. A session whose
// editor window no longer exists belongs to a closed window whose handle
// the system has handed out again: it is replaced.
bool registerSession(HWND window, SessionKind kind);

// Takes the window's session, if it has one, out of the registry and
// retires it (session_lifetime.h).
void removeSession(HWND window);

// The window's session, or null.
ComposeWindowSession* findSession(HWND window);
