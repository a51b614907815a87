#include "ui/qt/design_timer.h"

#include <algorithm>

namespace chrome {

DesignTimer::DesignTimer(QObject* parent, const QString& name, int interval, bool enabled, TimerClock& clock)
    : QObject(parent)
    , m_timer(clock.timer([this] { emit timeout(); }))
    , m_interval(interval)
    , m_enabled(enabled)
{
    setObjectName(name);
    schedule();
}

void DesignTimer::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    schedule();
}

void DesignTimer::setInterval(int milliseconds)
{
    if (milliseconds == m_interval)
        return;
    m_interval = milliseconds;
    schedule();
}

void DesignTimer::slowWhenIdle(IdleMonitor& monitor)
{
    if (m_monitor)
        disconnect(m_monitor, nullptr, this, nullptr);
    m_monitor = &monitor;
    connect(&monitor, &IdleMonitor::paceChanged, this, &DesignTimer::followPace);
    followPace();
}

int DesignTimer::period() const
{
    int period = std::max(m_interval, kShortestPeriod);
    if (m_monitor && m_monitor->idle())
        period = std::max(period, static_cast<int>(m_monitor->slowPeriod().count()));
    return period;
}

void DesignTimer::schedule()
{
    if (m_enabled)
        m_timer->start(std::chrono::milliseconds(period())); // starts the period anew
    else
        m_timer->stop();
}

void DesignTimer::followPace()
{
    // A disabled watcher stays disabled; an enabled one changes pace at once.
    if (m_enabled && m_timer->period() != std::chrono::milliseconds(period()))
        schedule();
}

} // namespace chrome
