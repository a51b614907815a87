#include "ui/qt/placement.h"

#include <QDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QShowEvent>
#include <QSpacerItem>
#include <QWidget>

#include <algorithm>

namespace chrome {

QPoint centredPlace(QSize size, const QRect& available)
{
    return {std::max(available.x(), available.x() + (available.width() - size.width()) / 2),
            std::max(available.y(), available.y() + (available.height() - size.height()) / 2)};
}

void placeOnScreen(QWidget& window, const QScreen* screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        window.move(centredPlace(window.size(), screen->availableGeometry()));
}

void fitOnScreen(QWidget& window, const QScreen* screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // Title bars and borders of the usual window managers.
    constexpr QSize frame(16, 48);
    window.resize(window.size().boundedTo(screen->availableGeometry().size() - frame));
    placeOnScreen(window, screen);
}

QScreen* screenOf(const QWidget* window)
{
    if (window) {
        if (QScreen* screen = QGuiApplication::screenAt(window->geometry().center()))
            return screen;
    }
    return QGuiApplication::primaryScreen();
}

namespace {

// A box takes its size, and Qt its place, while it handles its show event: the filter lets it
// handle the event first and then moves it.
class PlaceOnShow : public QObject {
public:
    PlaceOnShow(QDialog& box, const QWidget* window) : QObject(&box), m_window(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show || m_showing)
            return false;
        m_showing = true;
        QCoreApplication::sendEvent(watched, event);
        m_showing = false;
        auto* box = static_cast<QWidget*>(watched);
        placeOnScreen(*box, screenOf(m_window.data()));
        return true;
    }

private:
    QPointer<const QWidget> m_window;
    bool m_showing = false;
};

} // namespace

void placeWhenShown(QDialog& box, const QWidget* window)
{
    box.installEventFilter(new PlaceOnShow(box, window));
}

int titleWidth(const QMessageBox& box)
{
    // Title bars write in a bold face, and hold an icon and up to three buttons besides.
    QFont bold = box.font();
    bold.setBold(true);
    constexpr int buttonsAndIcon = 4 * 32;
    return QFontMetrics(bold).horizontalAdvance(box.windowTitle()) * 5 / 4 + buttonsAndIcon;
}

void fitTitle(QMessageBox& box)
{
    // The box sizes itself from its layout's minimum width whenever it is shown.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    grid->addItem(new QSpacerItem(titleWidth(box), 0, QSizePolicy::Fixed, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

} // namespace chrome
