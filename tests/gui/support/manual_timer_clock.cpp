#include "tests/gui/support/manual_timer_clock.h"

#include <algorithm>
#include <utility>

namespace gui_testing {

class ManualTimerClock::Timer final : public chrome::ClockTimer {
public:
    Timer(ManualTimerClock& clock, std::function<void()> tick)
        : m_clock(&clock)
        , m_tick(std::move(tick))
    {
        clock.m_timers.push_back(this);
    }
    ~Timer() override
    {
        if (m_clock)
            std::erase(m_clock->m_timers, this);
    }

    void start(std::chrono::milliseconds period) override
    {
        // A timer never ticks twice at one instant.
        m_period = std::max(period, std::chrono::milliseconds(1));
        m_due = m_clock ? m_clock->m_now + m_period : m_period;
        m_order = m_clock ? ++m_clock->m_starts : 0;
        m_active = true;
    }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }
    std::chrono::milliseconds period() const override { return m_period; }

    ManualTimerClock* m_clock;
    std::function<void()> m_tick;
    std::chrono::milliseconds m_period{0};
    std::chrono::milliseconds m_due{0};
    std::uint64_t m_order = 0;
    bool m_active = false;
};

ManualTimerClock::~ManualTimerClock()
{
    for (Timer* timer : m_timers)
        timer->m_clock = nullptr;
}

std::unique_ptr<chrome::ClockTimer> ManualTimerClock::timer(std::function<void()> tick)
{
    return std::make_unique<Timer>(*this, std::move(tick));
}

ManualTimerClock::Timer* ManualTimerClock::nextDue(std::chrono::milliseconds until) const
{
    Timer* next = nullptr;
    for (Timer* timer : m_timers) {
        if (!timer->m_active || timer->m_due > until)
            continue;
        if (!next || timer->m_due < next->m_due || (timer->m_due == next->m_due && timer->m_order < next->m_order))
            next = timer;
    }
    return next;
}

void ManualTimerClock::advance(std::chrono::milliseconds by)
{
    const std::chrono::milliseconds until = m_now + by;
    while (Timer* timer = nextDue(until)) {
        m_now = timer->m_due;
        // The next period counts from this tick, as the event loop's timers do; the handler may
        // stop or restart the timer, or delete it.
        timer->m_due += timer->m_period;
        timer->m_order = ++m_starts;
        const std::function<void()> tick = timer->m_tick;
        tick();
    }
    m_now = until;
}

} // namespace gui_testing
