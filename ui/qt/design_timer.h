#pragma once

#include "ui/qt/idle_monitor.h"
#include "chrome/timer_clock.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

namespace chrome {

// A timer of a window's design (`Timer1`, `Zegar1`, ...), with the designer timer's two
// properties: Enabled and Interval, which always read as the handlers set them. Underneath it
// ticks no faster than every 10 ms, the least the system's timer gives, and a watcher ticks
// slower still while nobody uses the program. It runs on the clock it is given: the system's, or
// the one of the idle monitor's pace (which tests move).
//
// As with the designer's timer, enabling an enabled timer or setting the interval it has
// changes nothing; a new interval while enabled starts the period anew.
class DesignTimer : public QObject {
    Q_OBJECT
public:
    static constexpr int kShortestPeriod = 10;

    DesignTimer(QObject* parent, const QString& name, int interval, bool enabled,
                TimerClock& clock = systemTimerClock());

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    // Enabled := True / False.
    void start() { setEnabled(true); }
    void stop() { setEnabled(false); }

    // In milliseconds, as designed or last set.
    int interval() const { return m_interval; }
    void setInterval(int milliseconds);

    // Makes this a watcher: it keeps things in step with what only the user's input changes, so
    // while `monitor` sees nobody using the program it ticks at the monitor's slow period.
    void slowWhenIdle(IdleMonitor& monitor);
    bool isWatcher() const { return m_monitor != nullptr; }

    // What it ticks at now, in milliseconds, while enabled.
    int period() const;

signals:
    void timeout();

private:
    void schedule();
    void followPace();

    std::unique_ptr<ClockTimer> m_timer;
    QPointer<IdleMonitor> m_monitor;
    int m_interval;
    bool m_enabled = false;
};

} // namespace chrome
