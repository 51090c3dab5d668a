// Holds a process-wide object whose destructor never runs. A DLL's static
// destructors run at DLL_PROCESS_DETACH, under the loader lock, where
// releasing COM objects, unsubclassing windows, freeing libraries or closing
// COM is forbidden; state that owns such things is torn down explicitly
// (BKC_OnExit) or deliberately left to the dying process.
#pragma once

#include <new>
#include <type_traits>
#include <utility>

namespace platform {

template <typename T>
class NoDestructor {
public:
    template <typename... Arguments>
    explicit NoDestructor(Arguments&&... arguments) {
        new (&storage_) T(std::forward<Arguments>(arguments)...);
    }
    NoDestructor(const NoDestructor&) = delete;
    NoDestructor& operator=(const NoDestructor&) = delete;

    T& get() { return *std::launder(reinterpret_cast<T*>(&storage_)); }

private:
    std::aligned_storage_t<sizeof(T), alignof(T)> storage_;
};

}  // namespace platform
