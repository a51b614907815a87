#pragma once

#include "core/io/drive_files.h"
#include "core/platform/desktop_windows.h"
#include "core/platform/drive_space.h"
#include "core/platform/process_control.h"

#include <cstdint>
#include <string>

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

// The real drive C: (or, for tests, a folder standing for it), walked one name at a time from
// its root so that the names come back as they exist and no link on the way is followed.
class Win32DriveFiles final : public DriveFiles {
public:
    explicit Win32DriveFiles(std::wstring root = L"C:\\");

    bool findFolder(const DrivePath& path, DrivePath& real) const override;
    int listFiles(const DrivePath& folder, std::vector<std::string>& names) const override;
    int readFile(const DrivePath& file, std::string& contents, std::size_t limit) const override;
    int removeFile(const DrivePath& file) const override;
    DrivePath currentFolder() const override;

private:
    std::wstring pathOf(const DrivePath& path) const;
    // The folder that holds the last name of `file`, as it exists, followed by that name.
    int place(const DrivePath& file, std::wstring& where) const;

    std::wstring m_root;
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
