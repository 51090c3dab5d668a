#include "shell/win/plugin_state.h"

#include <objbase.h>

#include <algorithm>
#include <vector>

#include "platform/no_destructor.h"

namespace {

std::unique_ptr<PluginState>& currentState() {
    static platform::NoDestructor<std::unique_ptr<PluginState>> state;
    return state.get();
}

// Sessions removed while one of their operations ran, until it ends. Kept
// apart from PluginState, which BKC_OnExit may destroy meanwhile.
std::vector<std::unique_ptr<ComposeWindowSession>>& retiredSessions() {
    static platform::NoDestructor<std::vector<std::unique_ptr<ComposeWindowSession>>> sessions;
    return sessions.get();
}

// A session out of the registry: destroyed now, or, while an operation of it
// runs, detached from its window now and destroyed when the operation ends.
void retireSession(std::unique_ptr<ComposeWindowSession> session, bool comClosing) {
    if (!session || session->runningOperations == 0) return;  // destroyed on return
    session->detachFromWindow();
    // The document cannot outlive the apartment it lives in.
    if (comClosing) session->releaseDocument();
    retiredSessions().push_back(std::move(session));
}

template <typename Function>
Function entryPoint(HMODULE module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

PluginState::PluginState() {
    comInitialized_ = SUCCEEDED(CoInitialize(nullptr));
    oleaccModule.reset(LoadLibraryA("OLEACC.DLL"));
    objectFromLresultFn = entryPoint<ObjectFromLresultFn>(oleaccModule.get(), "ObjectFromLresult");
    getObjectMessage = RegisterWindowMessageA("WM_HTML_GETOBJECT");
}

PluginState::~PluginState() {
    // Sessions hold document pointers and copies of the library's entry
    // point: they go before the library and before COM. They are taken out
    // of the registry first: what a session's tear-down runs (a document's
    // release may run the message loop) must find none of them there.
    SessionRegistry leaving;
    leaving.swap(sessions);
    for (auto& entry : leaving) retireSession(std::move(entry.second), true);
    oleaccModule.reset();
    // An apartment this object did not open (another model already set on
    // the thread) is not closed by it.
    if (comInitialized_) CoUninitialize();
}

PluginState* pluginState() { return currentState().get(); }

void createPluginState() {
    currentState().reset();
    currentState() = std::make_unique<PluginState>();
}

void destroyPluginState() { currentState().reset(); }

bool registerSession(HWND window, SessionKind kind) {
    PluginState* state = pluginState();
    if (!state) return false;
    const std::uintptr_t key = sessionKey(window);
    const auto found = state->sessions.find(key);
    if (found != state->sessions.end()) {
        HWND editor = found->second->editorWindow;
        if (!editor || IsWindow(editor)) return false;
        removeSession(window);
    }
    auto session = std::make_unique<ComposeWindowSession>(window, kind, state->oleaccModule.get(),
                                                          state->getObjectMessage, state->objectFromLresultFn);
    state->sessions.emplace(key, std::move(session));
    return true;
}

void removeSession(HWND window) {
    PluginState* state = pluginState();
    if (!state) return;
    const auto found = state->sessions.find(sessionKey(window));
    if (found == state->sessions.end()) return;
    // Out of the registry before its tear-down runs, so that nothing reached
    // from the tear-down finds a half-destroyed session.
    std::unique_ptr<ComposeWindowSession> session = std::move(found->second);
    state->sessions.erase(found);
    retireSession(std::move(session), false);
}

ComposeWindowSession* findSession(HWND window) {
    PluginState* state = pluginState();
    if (!state) return nullptr;
    const auto found = state->sessions.find(sessionKey(window));
    return found == state->sessions.end() ? nullptr : found->second.get();
}

SessionOperation::SessionOperation(ComposeWindowSession& session) : session_(session) {
    ++session_.runningOperations;
}

SessionOperation::~SessionOperation() {
    if (--session_.runningOperations > 0) return;
    auto& retired = retiredSessions();
    const auto found = std::find_if(retired.begin(), retired.end(),
                                    [this](const auto& session) { return session.get() == &session_; });
    if (found == retired.end()) return;
    std::unique_ptr<ComposeWindowSession> session = std::move(*found);
    retired.erase(found);
}
