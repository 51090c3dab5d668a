// The one guard for every entry that the host or the system calls (exported
// callbacks, command callbacks, window procedures, enumeration callbacks, COM
// event sinks, DllMain): no exception may unwind into code that is not ours.
//     int WINAPI BKC_OnOpenCompose(HWND w, int mode) {
//         return platform::atCallbackBoundary(0, [&] { openCompose(w, mode); return 0; }); }
#pragma once

namespace platform {

// Runs `body`; an exception stops here and `onException` is returned.
template <typename Result, typename Body>
Result atCallbackBoundary(Result onException, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return onException;
    }
}

// The same for a callback that returns nothing.
template <typename Body>
void atCallbackBoundary(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

}  // namespace platform
