// GetTickCount64 came with Windows Vista, and the thread library of the toolchain imports it:
// the program would not start on Windows XP x64 or Server 2003. The import slot below takes the
// place of the system's, and asks for the function only when it runs, with GetTickCount's
// 49-day counter as the fallback (on 32-bit Windows XP too).

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

// The name the linker gives the import slot of GetTickCount64; 32-bit x86 decorates the names of
// __stdcall functions.
#if defined(__i386__)
#define DOSTROJNIK_TICK_COUNT_SLOT "__imp__GetTickCount64@0"
#else
#define DOSTROJNIK_TICK_COUNT_SLOT "__imp_GetTickCount64"
#endif
extern "C" {
extern ULONGLONG(WINAPI* const tickCount64Slot)() __asm__(DOSTROJNIK_TICK_COUNT_SLOT);
ULONGLONG(WINAPI* const tickCount64Slot)() = &tickCount64;
}
