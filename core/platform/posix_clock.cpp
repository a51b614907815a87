#include "core/platform/clock.h"

#include <chrono>
#include <ctime>

namespace core {

LocalTime HostClock::now() const
{
    const auto moment = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(moment);
    const auto sinceSecond = moment - std::chrono::system_clock::from_time_t(seconds);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    LocalTime time;
    time.year = parts.tm_year + 1900;
    time.month = parts.tm_mon + 1;
    time.day = parts.tm_mday;
    time.hour = parts.tm_hour;
    time.minute = parts.tm_min;
    // A leap second shows as the last second of its minute.
    time.second = parts.tm_sec > 59 ? 59 : parts.tm_sec;
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(sinceSecond).count();
    time.millisecond = milliseconds < 0 ? 0 : milliseconds > 999 ? 999 : static_cast<int>(milliseconds);
    return time;
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
