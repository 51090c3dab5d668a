#include "tools/winhost/import_hook.h"

#include <stdexcept>

namespace wintest {
namespace {

template <typename T>
T* atOffset(BYTE* base, ULONG_PTR offset) {
    return reinterpret_cast<T*>(base + offset);
}

ULONG_PTR* importSlot(HMODULE module, const std::string& dllName, const std::string& functionName) {
    BYTE* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = atOffset<IMAGE_NT_HEADERS>(base, static_cast<ULONG_PTR>(dos->e_lfanew));
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return nullptr;
    for (auto* descriptor = atOffset<IMAGE_IMPORT_DESCRIPTOR>(base, directory.VirtualAddress); descriptor->Name;
         ++descriptor) {
        if (lstrcmpiA(atOffset<const char>(base, descriptor->Name), dllName.c_str()) != 0) continue;
        const DWORD lookup = descriptor->OriginalFirstThunk ? descriptor->OriginalFirstThunk : descriptor->FirstThunk;
        auto* names = atOffset<IMAGE_THUNK_DATA>(base, lookup);
        auto* slots = atOffset<IMAGE_THUNK_DATA>(base, descriptor->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = atOffset<IMAGE_IMPORT_BY_NAME>(base, names->u1.AddressOfData);
            if (functionName == reinterpret_cast<const char*>(byName->Name)) {
                static_assert(sizeof slots->u1.Function == sizeof(ULONG_PTR), "slot is pointer-sized");
                return reinterpret_cast<ULONG_PTR*>(&slots->u1.Function);
            }
        }
    }
    return nullptr;
}

void writeSlot(ULONG_PTR* slot, ULONG_PTR value) {
    DWORD previous = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &previous)) {
        throw std::runtime_error("cannot unprotect the import table");
    }
    *slot = value;
    VirtualProtect(slot, sizeof *slot, previous, &previous);
}

}  // namespace

ImportHook::ImportHook(HMODULE module, const std::string& dllName, const std::string& functionName,
                       void* replacement) {
    slot_ = importSlot(module, dllName, functionName);
    if (!slot_) throw std::runtime_error("the module does not import " + dllName + "!" + functionName);
    original_ = *slot_;
    writeSlot(slot_, reinterpret_cast<ULONG_PTR>(replacement));
}

ImportHook::~ImportHook() {
    if (slot_) writeSlot(slot_, original_);
}

}  // namespace wintest
