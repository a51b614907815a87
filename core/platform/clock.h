#pragma once

#include <string>

namespace core {

// A moment of local time as the system's clock tells it.
struct LocalTime {
    int year = 1601;
    int month = 1; // 1..12
    int day = 1;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    friend bool operator==(const LocalTime&, const LocalTime&) = default;
};

// The local date and time, and the system's own formats for them (the short date and the long
// time of the regional settings). One implementation per system; tests use a fake.
class Clock {
public:
    virtual ~Clock() = default;

    virtual LocalTime now() const = 0;
    virtual std::string shortDate(const LocalTime& time) const = 0;
    virtual std::string longTime(const LocalTime& time) const = 0;
};

// The host's local time, formatted as a Polish Windows XP does: short date "yyyy-MM-dd", long
// time "HH:mm:ss".
class HostClock final : public Clock {
public:
    LocalTime now() const override;
    std::string shortDate(const LocalTime& time) const override;
    std::string longTime(const LocalTime& time) const override;
};

// "yyyy-MM-dd" and "HH:mm:ss".
std::string polishShortDate(const LocalTime& time);
std::string polishLongTime(const LocalTime& time);

// The short date, a blank and the long time; only the date at exactly midnight.
std::string dateTimeText(const Clock& clock, const LocalTime& time);

} // namespace core
