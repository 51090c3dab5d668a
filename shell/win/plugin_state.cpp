#include "shell/win/plugin_state.h"

#include <objbase.h>

#include "platform/no_destructor.h"
#include "session/settings.h"
#include "shell/module_paths.h"

namespace {

std::unique_ptr<PluginState>& currentState() {
    static platform::NoDestructor<std::unique_ptr<PluginState>> state;
    return state.get();
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
    auto session = std::make_unique<ComposeWindowSession>(window, kind, readSessionFlags(settingsPath()),
                                                          state->oleaccModule.get(), state->getObjectMessage,
                                                          state->objectFromLresultFn);
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
