// What this process holds of the system: handles, USER and GDI objects,
// private bytes. Where wine does not implement a counter (GetGuiResources,
// GetProcessHandleCount, PrivateUsage), it is counted another way: handles
// from the system's handle list, USER objects as this process's windows and
// menus, GDI objects by asking every GDI handle value for its type, private
// bytes as the commit charge.
#pragma once

#include <cstddef>

namespace wintest {

struct ProcessFootprint {
    std::size_t handles = 0;
    std::size_t userObjects = 0;
    std::size_t gdiObjects = 0;
    std::size_t privateBytes = 0;
};

ProcessFootprint measureProcessFootprint();

}  // namespace wintest
