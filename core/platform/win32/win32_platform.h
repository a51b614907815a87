#pragma once

#include "core/platform/desktop_windows.h"
#include "core/platform/drive_space.h"
#include "core/platform/process_control.h"

#include <cstdint>

namespace core {

// Drive C: of the running Windows, through GetDiskFreeSpaceExW.
class Win32DriveSpace final : public DriveSpaceQuery {
public:
    DriveSpace driveC() const override;
};

// TerminateProcess on a process opened with PROCESS_TERMINATE.
class Win32ProcessControl final : public ProcessControl {
public:
    EndProcess end(std::int64_t processId) override;
};

// The desktop's top-level windows through EnumWindows.
class Win32DesktopWindows final : public DesktopWindows {
public:
    std::vector<TopLevelWindow> topLevelWindows() override;
};

struct ScreenSize {
    int width = 0;
    int height = 0;
};
// The primary screen in pixels, from GetSystemMetrics.
ScreenSize primaryScreen();

// The first processor's clock in MHz as Windows keeps it ("~MHz" under
// HKLM\HARDWARE\DESCRIPTION\System\CentralProcessor\0); 0 when it is not there.
std::uint32_t processorMhz();

} // namespace core
