#include "chrome/timer_clock.h"

#include <QTimer>

#include <utility>

namespace chrome {

namespace {

class EventLoopTimer final : public ClockTimer {
public:
    explicit EventLoopTimer(std::function<void()> tick)
    {
        QObject::connect(&m_timer, &QTimer::timeout, std::move(tick));
    }

    void start(std::chrono::milliseconds period) override { m_timer.start(period); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }
    std::chrono::milliseconds period() const override { return m_timer.intervalAsDuration(); }

private:
    QTimer m_timer;
};

class SystemTimerClock final : public TimerClock {
public:
    std::chrono::milliseconds now() const override
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    }

    std::unique_ptr<ClockTimer> timer(std::function<void()> tick) override
    {
        return std::make_unique<EventLoopTimer>(std::move(tick));
    }
};

} // namespace

TimerClock& systemTimerClock()
{
    static SystemTimerClock clock;
    return clock;
}

} // namespace chrome
