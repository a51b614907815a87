// The design timer: Enabled and Interval as the handlers set them, at least 10 ms underneath,
// and the designer timer's rule that enabling an enabled timer or setting the same interval
// changes nothing.

#include "ui/qt/controls.h"
#include "ui/qt/design_timer.h"
#include "tests/gui/support/manual_timer_clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <utility>

namespace {

using chrome::DesignTimer;
using namespace std::chrono_literals;

// The timers of these tests run on a clock that the test moves.
gui_testing::ManualTimerClock manualClock;

// Counts the ticks of a timer; `onTick` runs in each, as a handler would.
struct Ticks {
    explicit Ticks(DesignTimer& timer)
    {
        QObject::connect(&timer, &DesignTimer::timeout, [this] {
            ++count;
            if (onTick)
                onTick();
        });
    }
    // Lets the clock run until the count is reached, for at most `timeout` milliseconds.
    bool reach(int wanted, int timeout = 3000) const
    {
        for (int waited = 0; count < wanted && waited < timeout; ++waited)
            manualClock.advance(1ms);
        return count >= wanted;
    }
    int count = 0;
    std::function<void()> onTick;
};

void wait(int milliseconds)
{
    manualClock.advance(std::chrono::milliseconds(milliseconds));
}

TEST(DesignTimerTest, ReadsAsDesignedAndRunsAtNoLessThanTenMilliseconds)
{
    QObject window;
    DesignTimer timer(&window, QStringLiteral("Timer3"), 1, false, manualClock);
    EXPECT_EQ(timer.objectName(), QStringLiteral("Timer3"));
    EXPECT_EQ(window.findChild<DesignTimer*>(QStringLiteral("Timer3")), &timer);
    EXPECT_EQ(timer.interval(), 1);
    EXPECT_EQ(timer.period(), 10);
    EXPECT_FALSE(timer.isEnabled());
    EXPECT_FALSE(timer.isWatcher());

    const std::pair<int, int> periods[] = {{0, 10}, {9, 10}, {10, 10}, {11, 11}, {1000, 1000}};
    for (const auto& [interval, period] : periods) {
        timer.setInterval(interval);
        EXPECT_EQ(timer.interval(), interval);
        EXPECT_EQ(timer.period(), period) << interval;
    }

    // Disabled, it never ticks; enabled, it does.
    timer.setInterval(1);
    Ticks ticks(timer);
    wait(50);
    EXPECT_EQ(ticks.count, 0);
    timer.setEnabled(true);
    EXPECT_TRUE(timer.isEnabled());
    EXPECT_TRUE(ticks.reach(3));
    timer.stop();
    const int stopped = ticks.count;
    wait(50);
    EXPECT_EQ(ticks.count, stopped);
}

TEST(DesignTimerTest, BuiltFromItsComponentRunningOrNot)
{
    QObject window;
    DesignTimer* refresh = chrome::makeTimer(&window, chrome::timer("Timer37", 100, true), nullptr);
    DesignTimer* drag = chrome::makeTimer(&window, chrome::timer("Timer1", 1, false), nullptr);
    // Without an idle monitor a watcher is a plain timer.
    DesignTimer* paging = chrome::makeTimer(&window, chrome::watcher("Timer3", 1), nullptr);
    EXPECT_EQ(refresh->objectName(), QStringLiteral("Timer37"));
    EXPECT_TRUE(refresh->isEnabled());
    EXPECT_EQ(refresh->interval(), 100);
    EXPECT_FALSE(drag->isEnabled());
    EXPECT_TRUE(paging->isEnabled());
    EXPECT_FALSE(paging->isWatcher());
    EXPECT_EQ(paging->period(), 10);
}

// The comments timers: a click enables the timer, its first tick does the work and disables
// it, so each start gives exactly one tick, however often it was enabled before that tick.
TEST(DesignTimerTest, AOneShotTicksOncePerStart)
{
    DesignTimer comments(nullptr, QStringLiteral("Timer1"), 1, false, manualClock);
    Ticks ticks(comments);
    ticks.onTick = [&] { comments.stop(); };
    comments.start();
    comments.start();
    ASSERT_TRUE(ticks.reach(1));
    EXPECT_FALSE(comments.isEnabled());
    wait(50);
    EXPECT_EQ(ticks.count, 1);

    comments.start();
    ASSERT_TRUE(ticks.reach(2));
    wait(50);
    EXPECT_EQ(ticks.count, 2);
}

// The System window's refresh switch enables its refill timer and sets its interval a hundred
// times a second; were that to start the period anew, the refill would never come.
TEST(DesignTimerTest, EnablingAnEnabledTimerOrSettingItsIntervalAgainChangesNothing)
{
    DesignTimer refill(nullptr, QStringLiteral("Timer1"), 60, false, manualClock);
    DesignTimer driver(nullptr, QStringLiteral("Timer2"), 1, true, manualClock);
    Ticks refills(refill);
    Ticks drives(driver);
    drives.onTick = [&] {
        refill.setEnabled(true);
        refill.setInterval(60);
    };
    EXPECT_TRUE(refills.reach(2));
    EXPECT_GT(drives.count, refills.count);
}

// The About window's name timer: 1000 ms, then 20000 ms set from its own tick; it stays enabled.
// A new interval starts the period anew, with the new length.
TEST(DesignTimerTest, ANewIntervalWhileRunningTakesEffectAtOnce)
{
    DesignTimer name(nullptr, QStringLiteral("Timer1"), 20, true, manualClock);
    Ticks ticks(name);
    ticks.onTick = [&] { name.setInterval(20000); };
    ASSERT_TRUE(ticks.reach(1));
    EXPECT_TRUE(name.isEnabled());
    EXPECT_EQ(name.interval(), 20000);
    EXPECT_EQ(name.period(), 20000);
    wait(60);
    EXPECT_EQ(ticks.count, 1);

    // From a long period to a short one: the short one counts from now.
    ticks.onTick = nullptr;
    name.setInterval(15);
    EXPECT_TRUE(ticks.reach(3));
}

} // namespace
