#include "core/platform/win32/win32_platform.h"

#include <windows.h>

#include <limits>

namespace core {

EndProcess Win32ProcessControl::end(std::int64_t processId)
{
    if (processId <= 0 || processId > std::numeric_limits<DWORD>::max())
        return EndProcess::NotOpened;
    const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(processId));
    if (!process)
        return EndProcess::NotOpened;
    const bool ended = TerminateProcess(process, 1);
    CloseHandle(process);
    return ended ? EndProcess::Ended : EndProcess::NotEnded;
}

} // namespace core
