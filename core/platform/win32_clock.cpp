#include "core/platform/clock.h"

#include <windows.h>

namespace core {

LocalTime HostClock::now() const
{
    SYSTEMTIME parts{};
    GetLocalTime(&parts);
    return {parts.wYear, parts.wMonth, parts.wDay, parts.wHour, parts.wMinute, parts.wSecond, parts.wMilliseconds};
}

std::string HostClock::shortDate(const LocalTime& time) const
{
    return polishShortDate(time);
}

std::string HostClock::longTime(const LocalTime& time) const
{
    return polishLongTime(time);
}

} // namespace core
