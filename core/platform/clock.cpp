#include "core/platform/clock.h"

#include <cstdio>

namespace core {

std::string polishShortDate(const LocalTime& time)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", time.year, time.month, time.day);
    return text;
}

std::string polishLongTime(const LocalTime& time)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour, time.minute, time.second);
    return text;
}

std::string dateTimeText(const Clock& clock, const LocalTime& time)
{
    const bool midnight = time.hour == 0 && time.minute == 0 && time.second == 0 && time.millisecond == 0;
    if (midnight)
        return clock.shortDate(time);
    return clock.shortDate(time) + " " + clock.longTime(time);
}

} // namespace core
