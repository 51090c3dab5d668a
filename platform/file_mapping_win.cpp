#include "platform/file_mapping.h"

#include <windows.h>

#include "platform/files.h"
#include "platform/win/owned.h"

namespace platform {

void SystemMapping::release() {
    if (address_) UnmapViewOfFile(address_);
    address_ = nullptr;
}

bool mapWithNulAfter(const std::string& path, std::size_t offset, MappedRange& range) {
    // Others may go on reading and writing the file; Windows refuses to cut
    // it shorter while it is mapped.
    const OwnedHandle file(nullIfInvalid(
        pathEncoding() == PathEncoding::Utf8
            ? CreateFileW(widePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
            : CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!file) return false;
    LARGE_INTEGER fileSize {};
    SYSTEM_INFO system {};
    GetSystemInfo(&system);
    if (GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileSizeEx(file.get(), &fileSize)) return false;
    const auto size = static_cast<unsigned long long>(fileSize.QuadPart);
    if (offset >= size || size % system.dwPageSize == 0 || size - offset > static_cast<std::size_t>(-1)) {
        return false;
    }
    const OwnedHandle section(CreateFileMappingW(file.get(), nullptr, PAGE_WRITECOPY, 0, 0, nullptr));
    if (!section) return false;
    const unsigned long long start = offset - offset % system.dwAllocationGranularity;
    // A copy-on-write view: the caller may write in it, the file stays as it is.
    void* view = MapViewOfFile(section.get(), FILE_MAP_COPY, static_cast<DWORD>(start >> 32),
                               static_cast<DWORD>(start & 0xFFFFFFFFu), static_cast<SIZE_T>(size - start));
    if (!view) return false;  // the view keeps the section and the file
    range.mapping = SystemMapping(view);
    range.begin = static_cast<char*>(view) + (offset - start);
    range.size = static_cast<std::size_t>(size - offset);
    return true;
}

}  // namespace platform
