#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace chrome {

// A timer on a TimerClock: calls its tick every period while started.
class ClockTimer {
public:
    virtual ~ClockTimer() = default;
    // Starts the period anew, also when running.
    virtual void start(std::chrono::milliseconds period) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    // As last started.
    virtual std::chrono::milliseconds period() const = 0;
};

// The clock that the program's timers and its idle monitor run on: the system's steady clock with
// the event loop's timers, or in tests a clock that the test moves, so that waiting twenty
// seconds for a timer takes no time.
class TimerClock {
public:
    virtual ~TimerClock() = default;
    // Monotonic.
    virtual std::chrono::milliseconds now() const = 0;
    // A stopped timer whose ticks call `tick`.
    virtual std::unique_ptr<ClockTimer> timer(std::function<void()> tick) = 0;
};

// The steady clock and the event loop's timers.
TimerClock& systemTimerClock();

} // namespace chrome
