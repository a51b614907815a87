#include "core/platform/clock.h"

#include "tests/support/fake_platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

using core::LocalTime;

TEST(Clock, PolishWindowsFormatsPadEveryField)
{
    EXPECT_EQ(core::polishShortDate({2004, 8, 5, 0, 0, 0, 0}), "2004-08-05");
    EXPECT_EQ(core::polishShortDate({987, 12, 31, 0, 0, 0, 0}), "0987-12-31");
    EXPECT_EQ(core::polishLongTime({2004, 8, 5, 7, 3, 9, 999}), "07:03:09");
    EXPECT_EQ(core::polishLongTime({2004, 8, 5, 23, 59, 59, 0}), "23:59:59");
}

TEST(Clock, DateAndTimeLeaveTheTimeOutOnlyAtExactlyMidnight)
{
    testing_support::FakeClock clock;
    EXPECT_EQ(core::dateTimeText(clock, {2004, 8, 15, 12, 34, 56, 0}), "2004-08-15 12:34:56");
    EXPECT_EQ(core::dateTimeText(clock, {2004, 8, 15, 0, 0, 0, 0}), "2004-08-15");
    // The first moments after midnight still carry their time, even when it reads 00:00:00.
    EXPECT_EQ(core::dateTimeText(clock, {2004, 8, 15, 0, 0, 0, 1}), "2004-08-15 00:00:00");
    EXPECT_EQ(core::dateTimeText(clock, {2004, 8, 15, 0, 0, 1, 0}), "2004-08-15 00:00:01");
    EXPECT_EQ(core::dateTimeText(clock, {2004, 8, 15, 12, 0, 0, 0}), "2004-08-15 12:00:00");
}

TEST(Clock, TheHostClockTellsTheLocalTime)
{
    const core::HostClock clock;
    // Sampled within one second of the system's clock, so that the two must agree. The fine clock,
    // not time(), which may lag a tick behind it.
    const auto seconds = [] { return std::chrono::system_clock::to_time_t(std::chrono::system_clock::now()); };
    for (int attempt = 0; attempt < 10; ++attempt) {
        const std::time_t before = seconds();
        const LocalTime now = clock.now();
        if (seconds() != before)
            continue;
        const std::tm parts = *std::localtime(&before);
        EXPECT_EQ(now.year, parts.tm_year + 1900);
        EXPECT_EQ(now.month, parts.tm_mon + 1);
        EXPECT_EQ(now.day, parts.tm_mday);
        EXPECT_EQ(now.hour, parts.tm_hour);
        EXPECT_EQ(now.minute, parts.tm_min);
        EXPECT_EQ(now.second, parts.tm_sec);
        EXPECT_GE(now.millisecond, 0);
        EXPECT_LE(now.millisecond, 999);
        EXPECT_EQ(clock.shortDate(now), core::polishShortDate(now));
        EXPECT_EQ(clock.longTime(now), core::polishLongTime(now));
        return;
    }
    FAIL() << "the system's clock never stood still for a sample";
}
