#include "tests/wine/process_footprint.h"

#include <windows.h>
#include <psapi.h>

#include <vector>

namespace wintest {
namespace {

// SystemHandleInformation (16): every handle of every process.
struct SystemHandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ACCESS_MASK access;
};
using QuerySystemInformation = LONG(WINAPI*)(ULONG informationClass, PVOID buffer, ULONG size, PULONG needed);

std::size_t handlesFromSystemList() {
    const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return 0;
    std::vector<BYTE> buffer(1 << 20);
    ULONG needed = 0;
    while (query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) != 0) {
        if (buffer.size() >= (64u << 20)) return 0;
        buffer.resize(buffer.size() * 2);
    }
    const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entries = reinterpret_cast<const SystemHandleEntry*>(buffer.data() + sizeof(ULONG_PTR));
    std::size_t own = 0;
    for (ULONG i = 0; i < count; ++i) own += entries[i].ownerPid == GetCurrentProcessId() ? 1 : 0;
    return own;
}

BOOL CALLBACK countWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<std::size_t*>(count);
    return TRUE;
}

BOOL CALLBACK countOwnTopLevelWindow(HWND window, LPARAM count) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return TRUE;
    countWindow(window, count);
    EnumChildWindows(window, countWindow, count);
    return TRUE;
}

std::size_t windowsAndMenus() {
    std::size_t count = 0;
    EnumWindows(countOwnTopLevelWindow, reinterpret_cast<LPARAM>(&count));
    for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr))
        countOwnTopLevelWindow(window, reinterpret_cast<LPARAM>(&count));
    // Menus are USER handles of this process; wine numbers them from 0x20 in steps of two.
    for (UINT_PTR value = 0x20; value < 0x10000; value += 2) count += IsMenu(reinterpret_cast<HMENU>(value)) ? 1 : 0;
    return count;
}

std::size_t gdiObjectsByType() {
    std::size_t count = 0;
    for (UINT_PTR value = 1; value < 0x10000; ++value)
        count += GetObjectType(reinterpret_cast<HGDIOBJ>(value)) != 0 ? 1 : 0;
    return count;
}

}  // namespace

ProcessFootprint measureProcessFootprint() {
    ProcessFootprint footprint;
    HANDLE process = GetCurrentProcess();
    DWORD handles = 0;
    footprint.handles = GetProcessHandleCount(process, &handles) && handles ? handles : handlesFromSystemList();
    const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
    footprint.userObjects = user ? user : windowsAndMenus();
    const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    footprint.gdiObjects = gdi ? gdi : gdiObjectsByType();
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        footprint.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    return footprint;
}

}  // namespace wintest
