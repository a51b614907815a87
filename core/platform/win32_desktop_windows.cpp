#include "core/platform/win32/win32_platform.h"

#include "core/platform/win32/win32_text.h"

#include <windows.h>

namespace core {
namespace {

BOOL CALLBACK collect(HWND window, LPARAM context)
{
    auto& windows = *reinterpret_cast<std::vector<HWND>*>(context);
    windows.push_back(window);
    return TRUE;
}

} // namespace

std::vector<TopLevelWindow> Win32DesktopWindows::topLevelWindows()
{
    std::vector<HWND> handles;
    EnumWindows(collect, reinterpret_cast<LPARAM>(&handles));
    std::vector<TopLevelWindow> windows;
    for (const HWND handle : handles) {
        DWORD process = 0;
        // A window that went away since EnumWindows has no thread any more.
        if (GetWindowThreadProcessId(handle, &process) == 0)
            continue;
        wchar_t caption[256] = {};
        wchar_t className[256] = {};
        const int captionLength = GetWindowTextW(handle, caption, 256);
        const int classLength = GetClassNameW(handle, className, 256);
        if (classLength == 0)
            continue;
        windows.push_back({process, win32::utf8({caption, static_cast<size_t>(captionLength)}),
                           win32::utf8({className, static_cast<size_t>(classLength)})});
    }
    return windows;
}

ScreenSize primaryScreen()
{
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

std::uint32_t processorMhz()
{
    // RegGetValueW is missing from 32-bit Windows XP.
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return 0;
    DWORD type = 0;
    DWORD mhz = 0;
    DWORD size = sizeof mhz;
    const LSTATUS status = RegQueryValueExW(key, L"~MHz", nullptr, &type, reinterpret_cast<BYTE*>(&mhz), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof mhz ? mhz : 0;
}

} // namespace core
