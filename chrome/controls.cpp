#include "chrome/controls.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace chrome {

namespace {
constexpr char kShowHint[] = "showHint";
constexpr int kShortestInterval = 10;
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
    m_pressed = true;
    event->accept();
    emit mouseDown();
}

void PictureControl::mouseReleaseEvent(QMouseEvent* event)
{
    // Any button drags; only the left one clicks.
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    emit mouseUp();
    if (click)
        emit clicked();
}

SkinLabel::SkinLabel(QWidget* parent)
    : QLabel(parent)
{
}

void SkinLabel::mousePressEvent(QMouseEvent* event)
{
    m_pressed = true;
    event->accept();
    emit mouseDown();
}

void SkinLabel::mouseReleaseEvent(QMouseEvent* event)
{
    // Any button drags; only the left one clicks.
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    emit mouseUp();
    if (click)
        emit clicked();
}

QTimer* makeTimer(QObject* parent, const QString& name, int interval, bool enabled)
{
    auto* timer = new QTimer(parent);
    timer->setObjectName(name);
    setTimerInterval(*timer, interval);
    if (enabled)
        timer->start();
    return timer;
}

void setTimerInterval(QTimer& timer, int interval)
{
    timer.setInterval(std::max(interval, kShortestInterval));
}

} // namespace chrome
