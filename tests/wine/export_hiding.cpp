#include "tests/wine/export_hiding.h"

#include <cstring>
#include <stdexcept>

namespace wintest {
namespace {

template <typename T>
T* atOffset(BYTE* base, DWORD offset) {
    return reinterpret_cast<T*>(base + offset);
}

DWORD* exportAddressEntry(const std::string& name) {
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = atOffset<IMAGE_NT_HEADERS>(base, static_cast<DWORD>(dos->e_lfanew));
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (directory.VirtualAddress == 0) return nullptr;
    const auto* exports = atOffset<IMAGE_EXPORT_DIRECTORY>(base, directory.VirtualAddress);
    const DWORD* names = atOffset<DWORD>(base, exports->AddressOfNames);
    const WORD* ordinals = atOffset<WORD>(base, exports->AddressOfNameOrdinals);
    DWORD* addresses = atOffset<DWORD>(base, exports->AddressOfFunctions);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        if (name == atOffset<const char>(base, names[i])) return &addresses[ordinals[i]];
    }
    return nullptr;
}

void writeEntry(DWORD* entry, DWORD value) {
    DWORD previous = 0;
    if (!VirtualProtect(entry, sizeof *entry, PAGE_READWRITE, &previous)) {
        throw std::runtime_error("cannot unprotect the export table");
    }
    *entry = value;
    VirtualProtect(entry, sizeof *entry, previous, &previous);
}

}  // namespace

HiddenHostExport::HiddenHostExport(const std::string& name) {
    entry_ = exportAddressEntry(name);
    if (!entry_) throw std::runtime_error("the test host does not export " + name);
    savedAddress_ = *entry_;
    writeEntry(entry_, 0);
}

HiddenHostExport::~HiddenHostExport() { writeEntry(entry_, savedAddress_); }

}  // namespace wintest
