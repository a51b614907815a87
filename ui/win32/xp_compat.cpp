// GetTickCount64 came with Windows Vista, and the thread library of the toolchain imports it:
// the program would not start on Windows XP x64 or Server 2003. The import slot below takes the
// place of the system's, and asks for the function only when it runs, with GetTickCount's
// 49-day counter as the fallback.

#include <windows.h>

namespace {

ULONGLONG WINAPI tickCount64()
{
    using Function = ULONGLONG(WINAPI*)();
    static const auto system = reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
    if (system)
        return system();
    return GetTickCount();
}

} // namespace

extern "C" {
// The name the linker gives the import slot of GetTickCount64.
extern ULONGLONG(WINAPI* const __imp_GetTickCount64)();
ULONGLONG(WINAPI* const __imp_GetTickCount64)() = &tickCount64;
}
