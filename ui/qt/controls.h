#pragma once

#include "chrome/definition.h"
#include "ui/qt/design_timer.h"

#include <QLabel>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <optional>

class QFocusEvent;
class QLineEdit;
class QKeyEvent;
class QMouseEvent;

namespace chrome {

// A control shows its hint (its tool tip) only while this flag is on, like the designer's
// ShowHint property; the application's hint filter reads it.
void setHintShown(QWidget& control, bool shown);
bool hintShown(const QWidget& control);

// Makes a picture or label a click target for the keyboard and for assistive technology: Tab
// and Shift+Tab reach it (a mouse click gives it no focus, so that no frame stays behind), Space
// and Enter click it while it shows its focus frame, and installAccessibility() exposes it as a
// push button.
void makeTarget(QWidget& control);
bool isTarget(const QWidget& control);
// Clicks a target as a mouse click would.
void clickTarget(QWidget& control);

// Marks a target as the choice the machine is set to now, or as one it is not set to (see
// ui::Clickable::setMarked()): a marked one draws a thin frame in the accent colour, and either
// reads as a toggle to assistive technology. Empty for a target never given a state.
void setMarked(QWidget& control, bool marked);
std::optional<bool> marked(const QWidget& control);

// Text that only decorates (a separator, the arrow beside a comments switch): assistive
// technology passes over it.
void makeDecorative(QWidget& control);
bool isDecorative(const QWidget& control);
// Makes a target an on/off switch for assistive technology: it is on while `indicator` shows.
void makeToggle(QWidget& control, QWidget& indicator);
// The indicator of a switch made by makeToggle(), null for other controls.
QWidget* toggleIndicator(const QWidget& control);

// A picture: draws its pixmap at its top-left corner and reports mouse down, up and click.
class PictureControl : public QWidget {
    Q_OBJECT
public:
    explicit PictureControl(QWidget* parent);

    void setPixmap(const QPixmap& pixmap);
    const QPixmap& pixmap() const { return m_pixmap; }

signals:
    void mouseDown();
    void mouseUp();
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    QPixmap m_pixmap;
    bool m_pressed = false;
    bool m_keyboardFocus = false;
};

// A label that reports mouse down, up and click.
class SkinLabel : public QLabel {
    Q_OBJECT
public:
    explicit SkinLabel(QWidget* parent);

    // Shown or hidden, an indicator tells assistive technology that its switch changed.
    void setVisible(bool visible) override;

signals:
    void mouseDown();
    void mouseUp();
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    bool m_pressed = false;
    bool m_keyboardFocus = false;
};

// The design timer of a timer component, on the clock of `idle`'s pace. A watcher slows down while
// `idle` sees nobody using the program; without a monitor it runs on the system's clock at its
// design interval.
DesignTimer* makeTimer(QObject* parent, const Component& component, IdleMonitor* idle);

// A frameless edit box on the skin that takes texts of any length, as the registry does.
QLineEdit* makeEdit(QWidget* parent, const QString& name, const QRect& place);

} // namespace chrome
