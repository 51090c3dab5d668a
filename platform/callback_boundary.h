// The one guard for every entry that the host or the system calls (exported
// callbacks, window procedures, DllMain): no exception may unwind into code
// that is not ours.
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

}  // namespace platform
