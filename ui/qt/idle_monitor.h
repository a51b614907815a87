#pragma once

#include "chrome/timer_clock.h"

#include <QObject>

#include <chrono>
#include <memory>

namespace chrome {

// How the idle monitor paces the watcher timers, and the clock that it and every design timer of
// the windows run on. Tests shorten it or hand it a clock they move.
struct IdlePace {
    // Without input for this long, nobody is using the program.
    std::chrono::milliseconds idleAfter{1000};
    // What watchers tick at meanwhile (a watcher designed slower keeps its own interval).
    std::chrono::milliseconds slowPeriod{500};
    // Null: the system's steady clock and the event loop's timers.
    TimerClock* clock = nullptr;
};

// Notices whether anybody is using the program: an event filter on the application object that
// sees every mouse button, move and wheel, key and window activation of every window. Watcher
// timers (see DesignTimer) tick slowly while nobody is: what they keep in step changes only
// through the user's input, and a program left alone should not wake a hundred times a second.
class IdleMonitor : public QObject {
    Q_OBJECT
public:
    // Watches from now on; the start counts as input.
    explicit IdleMonitor(IdlePace pace = {});
    ~IdleMonitor() override;

    bool idle() const { return m_idle; }
    std::chrono::milliseconds slowPeriod() const { return m_pace.slowPeriod; }
    TimerClock& clock() const { return *m_pace.clock; }

    // The user did something: the watchers go back to their design intervals at once.
    void input();
    // Looks at the clock: after `idleAfter` without input the watchers slow down. Runs on its
    // own timer, which sleeps while the program is idle.
    void check();

signals:
    // idle() changed.
    void paceChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setIdle(bool idle);

    IdlePace m_pace;
    std::unique_ptr<ClockTimer> m_check;
    std::chrono::milliseconds m_lastInput{};
    bool m_idle = false;
};

} // namespace chrome
