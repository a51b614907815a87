#pragma once

#include "chrome/timer_clock.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace gui_testing {

// A timer clock that stands still until the test moves it. Moving it runs every tick that falls
// due on the way, in the order of their times, with the clock showing each tick's time, so a
// test of a twenty-second timer takes as long as its handlers.
class ManualTimerClock final : public chrome::TimerClock {
public:
    ManualTimerClock() = default;
    ManualTimerClock(const ManualTimerClock&) = delete;
    ManualTimerClock& operator=(const ManualTimerClock&) = delete;
    ~ManualTimerClock() override;

    std::chrono::milliseconds now() const override { return m_now; }
    std::unique_ptr<chrome::ClockTimer> timer(std::function<void()> tick) override;

    void advance(std::chrono::milliseconds by);

private:
    class Timer;
    Timer* nextDue(std::chrono::milliseconds until) const;

    std::chrono::milliseconds m_now{0};
    std::vector<Timer*> m_timers;
    // Orders ticks that fall due at the same time: the earlier started goes first.
    std::uint64_t m_starts = 0;
};

} // namespace gui_testing
