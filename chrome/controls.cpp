#include "chrome/controls.h"

#include <QMouseEvent>
#include <QPainter>

#include <utility>

namespace chrome {

namespace {
constexpr char kShowHint[] = "showHint";

// Mouse down and up on a clickable control: any button drags, only the left one clicks, and only
// when it goes up inside the control it went down on.
template <class Control>
void mousePressed(Control& control, bool& pressed, QMouseEvent& event)
{
    pressed = true;
    event.accept();
    emit control.mouseDown();
}

template <class Control>
void mouseReleased(Control& control, bool& pressed, QMouseEvent& event)
{
    const bool click = std::exchange(pressed, false) && event.button() == Qt::LeftButton
                       && control.rect().contains(event.position().toPoint());
    event.accept();
    emit control.mouseUp();
    if (click)
        emit control.clicked();
}

} // namespace

void setHintShown(QWidget& control, bool shown)
{
    control.setProperty(kShowHint, shown);
}

bool hintShown(const QWidget& control)
{
    return control.property(kShowHint).toBool();
}

PictureControl::PictureControl(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureControl::setPixmap(const QPixmap& pixmap)
{
    m_pixmap = pixmap;
    update();
}

void PictureControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_pixmap.isNull())
        painter.fillRect(rect(), palette().window());
    else
        painter.drawPixmap(0, 0, m_pixmap);
}

void PictureControl::mousePressEvent(QMouseEvent* event)
{
    mousePressed(*this, m_pressed, *event);
}

void PictureControl::mouseReleaseEvent(QMouseEvent* event)
{
    mouseReleased(*this, m_pressed, *event);
}

SkinLabel::SkinLabel(QWidget* parent)
    : QLabel(parent)
{
}

void SkinLabel::mousePressEvent(QMouseEvent* event)
{
    mousePressed(*this, m_pressed, *event);
}

void SkinLabel::mouseReleaseEvent(QMouseEvent* event)
{
    mouseReleased(*this, m_pressed, *event);
}

DesignTimer* makeTimer(QObject* parent, const Component& component, IdleMonitor* idle)
{
    // The timers run on the clock of the idle monitor's pace.
    auto* timer = new DesignTimer(parent, QString::fromStdString(component.name), component.interval, component.enabled,
                                  idle ? idle->clock() : systemTimerClock());
    if (component.watcher && idle)
        timer->slowWhenIdle(*idle);
    return timer;
}

} // namespace chrome
