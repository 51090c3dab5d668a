// Redirects one imported function of a loaded module (its import address
// table slot) to a replacement while the object lives, so the host can see
// which system calls the plug-in makes.
#pragma once

#include <windows.h>

#include <string>

namespace wintest {

// The import through which a module calls SetWindowLongPtrW: the 32-bit
// USER32 has no SetWindowLongPtr* (the headers map it to SetWindowLongW).
#ifdef _WIN64
inline constexpr char kSetWindowLongPtrWImport[] = "SetWindowLongPtrW";
#else
inline constexpr char kSetWindowLongPtrWImport[] = "SetWindowLongW";
#endif

class ImportHook {
public:
    // Throws std::runtime_error when the module does not import the function.
    ImportHook(HMODULE module, const std::string& dllName, const std::string& functionName, void* replacement);
    ~ImportHook();
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;

    // The function the slot held before.
    void* original() const { return reinterpret_cast<void*>(original_); }
    // For a module unloaded while hooked: its slot is gone with it.
    void forget() { slot_ = nullptr; }

private:
    ULONG_PTR* slot_ = nullptr;
    ULONG_PTR original_ = 0;
};

}  // namespace wintest
