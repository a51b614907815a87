// The idle monitor: after a spell without input the watcher timers tick slowly, and the next
// input brings them back at once; other timers keep their pace. The clock of the monitor and the
// timers is a fake one that the tests move, so no test waits for a real second.

#include "tests/gui/support/gui_fixture.h"

#include "ui/qt/design_timer.h"
#include "ui/qt/idle_monitor.h"
#include "tests/gui/support/manual_timer_clock.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>

using namespace std::chrono_literals;
using chrome::DesignTimer;
using chrome::IdleMonitor;

namespace {

// On the system's clock, waiting for real.
int ticksWithin(DesignTimer& timer, int milliseconds)
{
    int count = 0;
    const auto connection = QObject::connect(&timer, &DesignTimer::timeout, [&] { ++count; });
    QTest::qWait(milliseconds);
    QObject::disconnect(connection);
    return count;
}

class IdleMonitorTest : public ::testing::Test {
protected:
    // A slow pace of an hour: a watcher that was not brought back does not tick in a test.
    IdleMonitor& monitor(std::chrono::milliseconds slow = 1h)
    {
        m_monitor = std::make_unique<IdleMonitor>(chrome::IdlePace{1000ms, slow, &m_clock});
        return *m_monitor;
    }
    // Nobody touches the program meanwhile; the monitor looks at the clock on its own timer.
    void quietFor(std::chrono::milliseconds quiet) { m_clock.advance(quiet); }
    int ticksWithin(DesignTimer& timer, int milliseconds)
    {
        int count = 0;
        const auto connection = QObject::connect(&timer, &DesignTimer::timeout, [&] { ++count; });
        m_clock.advance(std::chrono::milliseconds(milliseconds));
        QObject::disconnect(connection);
        return count;
    }
    void send(QEvent& event) { QApplication::sendEvent(&m_widget, &event); }
    void moveMouse()
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        send(move);
    }

    gui_testing::ManualTimerClock m_clock;
    std::unique_ptr<IdleMonitor> m_monitor;
    QWidget m_widget;
};

TEST_F(IdleMonitorTest, AWatcherSlowsAfterASecondWithoutInputAndComesBackAtTheNextInput)
{
    IdleMonitor& idle = monitor();
    DesignTimer paging(nullptr, QStringLiteral("Timer3"), 1, true, m_clock);
    paging.slowWhenIdle(idle);
    EXPECT_TRUE(paging.isWatcher());

    // The start counts as input.
    quietFor(999ms);
    EXPECT_FALSE(idle.idle());
    EXPECT_EQ(paging.period(), 10);
    quietFor(1ms);
    EXPECT_TRUE(idle.idle());
    // Enabled and Interval still read as designed; only the pace underneath changed.
    EXPECT_TRUE(paging.isEnabled());
    EXPECT_EQ(paging.interval(), 1);
    EXPECT_EQ(paging.period(), 3600000);
    EXPECT_EQ(ticksWithin(paging, 60), 0);

    moveMouse();
    EXPECT_FALSE(idle.idle());
    EXPECT_EQ(paging.period(), 10);
    EXPECT_GT(ticksWithin(paging, 60), 0);

    // Input keeps it awake: a second counts from the last input.
    quietFor(600ms);
    moveMouse();
    quietFor(600ms);
    EXPECT_FALSE(idle.idle());
    quietFor(400ms);
    EXPECT_TRUE(idle.idle());
}

TEST_F(IdleMonitorTest, EveryKindOfUserInputCountsAndNothingElseDoes)
{
    IdleMonitor& idle = monitor();
    const QPointF at(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, at, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QWheelEvent wheel(at, at, QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QKeyEvent keyUp(QEvent::KeyRelease, Qt::Key_Up, Qt::NoModifier);
    QEvent activate(QEvent::WindowActivate);
    for (QEvent* input : std::initializer_list<QEvent*>{&press, &release, &move, &wheel, &key, &keyUp, &activate}) {
        quietFor(1000ms);
        ASSERT_TRUE(idle.idle());
        send(*input);
        EXPECT_FALSE(idle.idle()) << input->type();
    }

    quietFor(1000ms);
    QEvent paint(QEvent::UpdateRequest);
    QEvent deactivate(QEvent::WindowDeactivate);
    QEvent leave(QEvent::Leave);
    for (QEvent* other : std::initializer_list<QEvent*>{&paint, &deactivate, &leave}) {
        send(*other);
        EXPECT_TRUE(idle.idle()) << other->type();
    }
}

TEST_F(IdleMonitorTest, TimersThatAreNoWatchersKeepTheirPace)
{
    IdleMonitor& idle = monitor(500ms);
    DesignTimer drag(nullptr, QStringLiteral("Timer1"), 1, true, m_clock);
    DesignTimer refresh(nullptr, QStringLiteral("Timer37"), 100, true, m_clock);
    DesignTimer name(nullptr, QStringLiteral("Timer1"), 20000, true, m_clock);
    DesignTimer slowWatcher(nullptr, QStringLiteral("Timer9"), 2000, true, m_clock);
    slowWatcher.slowWhenIdle(idle);
    quietFor(10s);
    ASSERT_TRUE(idle.idle());
    EXPECT_EQ(drag.period(), 10);
    EXPECT_EQ(refresh.period(), 100);
    EXPECT_EQ(name.period(), 20000);
    // A watcher designed slower than the slow pace keeps its own.
    EXPECT_EQ(slowWatcher.period(), 2000);
    EXPECT_GT(ticksWithin(drag, 60), 0);
}

TEST_F(IdleMonitorTest, ADisabledWatcherStaysDisabledThroughIdleAndInput)
{
    IdleMonitor& idle = monitor();
    DesignTimer watcher(nullptr, QStringLiteral("Timer2"), 1, false, m_clock);
    watcher.slowWhenIdle(idle);
    quietFor(2s);
    EXPECT_FALSE(watcher.isEnabled());
    moveMouse();
    EXPECT_FALSE(watcher.isEnabled());
    EXPECT_EQ(ticksWithin(watcher, 50), 0);

    // Enabled while nobody uses the program, it starts at the slow pace.
    quietFor(2s);
    watcher.start();
    EXPECT_EQ(watcher.period(), 3600000);
    EXPECT_EQ(ticksWithin(watcher, 50), 0);
    moveMouse();
    EXPECT_GT(ticksWithin(watcher, 60), 0);
}

// On the real clock with a short spell: the monitor notices on its own, without being asked,
// also when the last input came in the middle of a spell.
TEST(IdleMonitorRealClockTest, NoticesIdlenessOnItsOwn)
{
    IdleMonitor idle(chrome::IdlePace{100ms, 1h, {}});
    DesignTimer watcher(nullptr, QStringLiteral("Timer3"), 1, true);
    watcher.slowWhenIdle(idle);
    ASSERT_TRUE(QTest::qWaitFor([&] { return idle.idle(); }, 3000));
    EXPECT_EQ(ticksWithin(watcher, 60), 0);
    idle.input();
    EXPECT_FALSE(idle.idle());
    QTest::qWait(50);
    idle.input();
    EXPECT_TRUE(QTest::qWaitFor([&] { return idle.idle(); }, 3000));
}

// The program's windows: only watchers slow down.
class IdleWindowsTest : public gui_testing::GuiFixture {};

TEST_F(IdleWindowsTest, OnlyTheWatchersOfTheWindowsSlowDown)
{
    start();
    runTimers();
    idleFor(5s);
    ASSERT_TRUE(windows().idleMonitor().idle());
    int watchers = 0;
    for (QWidget* window : windows().windows()) {
        for (DesignTimer* timer : window->findChildren<DesignTimer*>()) {
            const std::string name = window->objectName().toStdString() + "." + timer->objectName().toStdString();
            if (timer->isWatcher()) {
                ++watchers;
                EXPECT_EQ(timer->period(), 500) << name;
            } else {
                EXPECT_EQ(timer->period(), std::max(timer->interval(), 10)) << name;
            }
        }
    }
    EXPECT_EQ(watchers, 3);
    EXPECT_TRUE(section("TForm9").timer(QStringLiteral("Timer3"))->isWatcher());
    EXPECT_TRUE(section("TForm2").timer(QStringLiteral("Timer2"))->isWatcher());
    EXPECT_TRUE(section("TForm6").timer(QStringLiteral("Timer1"))->isWatcher());
}

} // namespace
