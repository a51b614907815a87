#include "ui/qt/idle_monitor.h"

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>
#include <utility>

namespace chrome {

namespace {
// What the user does to the program: mouse buttons, moves and wheel, keys (also through an input
// method), touch and pen, dropping, and activating one of its windows.
bool isInput(const QEvent& event)
{
    switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::WindowActivate: return true;
    default: return false;
    }
}
} // namespace

IdleMonitor::IdleMonitor(IdlePace pace) : m_pace(std::move(pace))
{
    if (!m_pace.clock)
        m_pace.clock = &systemTimerClock();
    m_check = m_pace.clock->timer([this] { check(); });
    if (QCoreApplication* application = QCoreApplication::instance())
        application->installEventFilter(this);
    input();
}

IdleMonitor::~IdleMonitor()
{
    if (QCoreApplication* application = QCoreApplication::instance())
        application->removeEventFilter(this);
}

bool IdleMonitor::eventFilter(QObject*, QEvent* event)
{
    // Every event of the program passes here: only a test of its type, then on its way.
    if (isInput(*event))
        input();
    return false;
}

void IdleMonitor::input()
{
    m_lastInput = m_pace.clock->now();
    setIdle(false);
    // Armed once per spell of input, not at every event: it looks at the clock when it fires.
    if (!m_check->isActive())
        m_check->start(m_pace.idleAfter);
}

void IdleMonitor::check()
{
    if (m_idle) {
        m_check->stop();
        return;
    }
    const auto quiet = m_pace.clock->now() - m_lastInput;
    if (quiet >= m_pace.idleAfter) {
        m_check->stop();
        setIdle(true);
    } else {
        m_check->start(std::max(m_pace.idleAfter - quiet, std::chrono::milliseconds(1)));
    }
}

void IdleMonitor::setIdle(bool idle)
{
    if (idle == m_idle)
        return;
    m_idle = idle;
    emit paceChanged();
}

} // namespace chrome
