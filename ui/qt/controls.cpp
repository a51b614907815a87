#include "ui/qt/controls.h"

#include "chrome/skin.h"

#include <QAccessible>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

#include <limits>
#include <utility>

namespace chrome {

namespace {
constexpr char kShowHint[] = "showHint";
constexpr char kTarget[] = "clickTarget";
constexpr char kDecorative[] = "decorative";
constexpr char kIndicator[] = "toggleIndicator";
constexpr char kToggle[] = "toggleOf";
constexpr char kMarked[] = "markedChoice";

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
    const bool click = std::exchange(pressed, false) && event.button() == Qt::LeftButton &&
                       control.rect().contains(event.position().toPoint());
    event.accept();
    emit control.mouseUp();
    if (click)
        emit control.clicked();
}

// While the keyboard has put the focus on a target, Space and Enter click it and it shows its
// frame. Focus that comes back with the window keeps the frame it had; a mouse click drops it.
template <class Control>
void focusIn(const Control& control, bool& keyboardFocus, const QFocusEvent& event)
{
    switch (event.reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason: break;
    case Qt::MouseFocusReason: keyboardFocus = false; break;
    default: keyboardFocus = isTarget(control); break;
    }
}

// True when the key was a click.
template <class Control>
bool keyPressed(Control& control, bool keyboardFocus, QKeyEvent& event)
{
    const int key = event.key();
    const bool clickKey = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    // Enter on the keypad comes with the keypad modifier.
    if (!clickKey || !keyboardFocus || !control.hasFocus() || (event.modifiers() & ~Qt::KeypadModifier) != 0)
        return false;
    event.accept();
    if (!event.isAutoRepeat())
        emit control.clicked();
    return true;
}

// The mark lies on the control's outermost pixels; the focus frame, when there is one, over it.
void paintFrames(QWidget& control, bool keyboardFocus)
{
    if (marked(control).value_or(false)) {
        QPainter painter(&control);
        painter.setPen(QColor::fromRgb(static_cast<QRgb>(skin::accent)));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(control.rect().adjusted(0, 0, -1, -1));
    }
    if (!keyboardFocus || !control.hasFocus())
        return;
    QPainter painter(&control);
    QPen pen(QColor::fromRgb(static_cast<QRgb>(skin::accent)));
    pen.setWidth(2);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(control.rect()).adjusted(1, 1, -1, -1));
}

} // namespace

void makeTarget(QWidget& control)
{
    control.setProperty(kTarget, true);
    control.setFocusPolicy(Qt::TabFocus);
}

bool isTarget(const QWidget& control)
{
    return control.property(kTarget).toBool();
}

void clickTarget(QWidget& control)
{
    if (auto* picture = qobject_cast<PictureControl*>(&control))
        emit picture->clicked();
    else if (auto* label = qobject_cast<SkinLabel*>(&control))
        emit label->clicked();
}

void setMarked(QWidget& control, bool isMarked)
{
    const std::optional<bool> before = marked(control);
    if (before == isMarked)
        return;
    control.setProperty(kMarked, isMarked);
    control.update();
    QAccessible::State changed;
    changed.checked = true;
    if (!before)
        changed.checkable = true;
    QAccessibleStateChangeEvent event(&control, changed);
    QAccessible::updateAccessibility(&event);
}

std::optional<bool> marked(const QWidget& control)
{
    const QVariant value = control.property(kMarked);
    if (!value.isValid())
        return std::nullopt;
    return value.toBool();
}

void makeDecorative(QWidget& control)
{
    control.setProperty(kDecorative, true);
}

bool isDecorative(const QWidget& control)
{
    return control.property(kDecorative).toBool();
}

void makeToggle(QWidget& control, QWidget& indicator)
{
    control.setProperty(kIndicator, QVariant::fromValue(static_cast<QObject*>(&indicator)));
    indicator.setProperty(kToggle, QVariant::fromValue(static_cast<QObject*>(&control)));
}

QWidget* toggleIndicator(const QWidget& control)
{
    return qobject_cast<QWidget*>(control.property(kIndicator).value<QObject*>());
}

void setHintShown(QWidget& control, bool shown)
{
    control.setProperty(kShowHint, shown);
}

bool hintShown(const QWidget& control)
{
    return control.property(kShowHint).toBool();
}

PictureControl::PictureControl(QWidget* parent) : QWidget(parent)
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
    {
        QPainter painter(this);
        if (m_pixmap.isNull())
            painter.fillRect(rect(), palette().window());
        else
            painter.drawPixmap(0, 0, m_pixmap);
    }
    paintFrames(*this, m_keyboardFocus);
}

void PictureControl::mousePressEvent(QMouseEvent* event)
{
    mousePressed(*this, m_pressed, *event);
}

void PictureControl::mouseReleaseEvent(QMouseEvent* event)
{
    mouseReleased(*this, m_pressed, *event);
}

void PictureControl::keyPressEvent(QKeyEvent* event)
{
    if (!keyPressed(*this, m_keyboardFocus, *event))
        QWidget::keyPressEvent(event);
}

void PictureControl::focusInEvent(QFocusEvent* event)
{
    focusIn(*this, m_keyboardFocus, *event);
    QWidget::focusInEvent(event);
}

SkinLabel::SkinLabel(QWidget* parent) : QLabel(parent) {}

void SkinLabel::setVisible(bool visible)
{
    const bool changed = visible == isHidden();
    QLabel::setVisible(visible);
    if (QObject* toggle = property(kToggle).value<QObject*>(); toggle && changed) {
        QAccessible::State state;
        state.checked = true;
        QAccessibleStateChangeEvent event(toggle, state);
        QAccessible::updateAccessibility(&event);
    }
}

void SkinLabel::mousePressEvent(QMouseEvent* event)
{
    mousePressed(*this, m_pressed, *event);
}

void SkinLabel::mouseReleaseEvent(QMouseEvent* event)
{
    mouseReleased(*this, m_pressed, *event);
}

void SkinLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    paintFrames(*this, m_keyboardFocus);
}

void SkinLabel::keyPressEvent(QKeyEvent* event)
{
    if (!keyPressed(*this, m_keyboardFocus, *event))
        QLabel::keyPressEvent(event);
}

void SkinLabel::focusInEvent(QFocusEvent* event)
{
    focusIn(*this, m_keyboardFocus, *event);
    QLabel::focusInEvent(event);
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

QLineEdit* makeEdit(QWidget* parent, const QString& name, const QRect& place)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(place);
    edit->setFrame(false);
    edit->setMaxLength(std::numeric_limits<int>::max());
    return edit;
}

} // namespace chrome
