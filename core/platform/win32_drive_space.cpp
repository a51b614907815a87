#include "core/platform/win32/win32_platform.h"

#include <windows.h>

namespace core {

DriveSpace Win32DriveSpace::driveC() const
{
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    if (!GetDiskFreeSpaceExW(L"C:\\", &available, &total, nullptr))
        return {};
    return driveSpaceFromBlocks(available.QuadPart, total.QuadPart, 1);
}

} // namespace core
