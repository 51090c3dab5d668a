// Owners of Win32 resources, one spelling for every kind, after WIL's
// unique_any: an Owned<Handle, Close> calls Close on its handle when it goes,
// and null is "none". A function that reports failure with
// INVALID_HANDLE_VALUE (CreateFileA, FindFirstFileA) is turned into null at
// the call:
//     const OwnedFind search(nullIfInvalid(FindFirstFileA(pattern, &found)));
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <memory>
#include <type_traits>

namespace platform {

template <typename Handle, auto Close>
struct CloseWith {
    void operator()(Handle handle) const { Close(handle); }
};

template <typename Handle, auto Close>
using Owned = std::unique_ptr<std::remove_pointer_t<Handle>, CloseWith<Handle, Close>>;

using OwnedMenu = Owned<HMENU, &::DestroyMenu>;
using OwnedLibrary = Owned<HMODULE, &::FreeLibrary>;
using OwnedWindow = Owned<HWND, &::DestroyWindow>;
using OwnedHandle = Owned<HANDLE, &::CloseHandle>;
using OwnedFind = Owned<HANDLE, &::FindClose>;

inline HANDLE nullIfInvalid(HANDLE handle) { return handle == INVALID_HANDLE_VALUE ? nullptr : handle; }

// A VARIANT, cleared (freeing what it holds) when it goes.
class OwnedVariant {
public:
    OwnedVariant() { VariantInit(&value); }
    ~OwnedVariant() { VariantClear(&value); }
    OwnedVariant(const OwnedVariant&) = delete;
    OwnedVariant& operator=(const OwnedVariant&) = delete;

    VARIANT value;
};

}  // namespace platform
