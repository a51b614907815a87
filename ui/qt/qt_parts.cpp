#include "ui/qt/qt_parts.h"

#include "ui/qt/controls.h"
#include "ui/qt/design_timer.h"

#include <QEvent>
#include <QObject>
#include <QWidget>

namespace ui::qt {

namespace {

QString qs(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

template <class Base>
class WidgetPart : public Base {
public:
    explicit WidgetPart(QWidget& widget) : m_widget(widget) {}

    NativeId nativeId() const override { return &m_widget; }
    void setVisible(bool visible) override { m_widget.setVisible(visible); }
    bool isVisible() const override { return !m_widget.isHidden(); }
    Rect place() const override
    {
        const QRect r = m_widget.geometry();
        return {r.x(), r.y(), r.width(), r.height()};
    }
    void setPlace(const Rect& place) override { m_widget.setGeometry(place.x, place.y, place.width, place.height); }
    void setAccessibleName(const std::string& name) override { m_widget.setAccessibleName(qs(name)); }
    void setAccessibleDescription(const std::string& text) override { m_widget.setAccessibleDescription(qs(text)); }
    void setHint(const std::string& text) override { m_widget.setToolTip(qs(text)); }
    std::string hint() const override { return m_widget.toolTip().toStdString(); }
    void setHintShown(bool shown) override { chrome::setHintShown(m_widget, shown); }
    bool hintShown() const override { return chrome::hintShown(m_widget); }

protected:
    QWidget& m_widget;
};

// Forwards the control's mouse signals to the part's handlers.
template <class Base, class Control>
class ClickablePart : public WidgetPart<Base> {
public:
    explicit ClickablePart(Control& control) : WidgetPart<Base>(control), m_control(control)
    {
        m_connections[0] = QObject::connect(&control, &Control::mouseDown, [this] { call(this->onMouseDown); });
        m_connections[1] = QObject::connect(&control, &Control::mouseUp, [this] { call(this->onMouseUp); });
        m_connections[2] = QObject::connect(&control, &Control::clicked, [this] { call(this->onClick); });
    }
    ~ClickablePart() override
    {
        for (const QMetaObject::Connection& connection : m_connections)
            QObject::disconnect(connection);
    }

    void setTarget(bool target) override
    {
        if (target) {
            m_control.setCursor(Qt::PointingHandCursor);
            chrome::makeTarget(m_control);
        }
    }
    void setMarked(bool marked) override { chrome::setMarked(m_control, marked); }

protected:
    static void call(const std::function<void()>& handler)
    {
        if (handler)
            handler();
    }

    Control& m_control;
    QMetaObject::Connection m_connections[3];
};

class QtPicture final : public ClickablePart<Picture, chrome::PictureControl> {
public:
    using ClickablePart::ClickablePart;
    // The window loads its pictures from its store when it is first shown.
    void setPicture(const std::string&) override {}
};

class QtLabel final : public ClickablePart<Label, chrome::SkinLabel> {
public:
    using ClickablePart::ClickablePart;
    void setText(const std::string& text) override { m_control.setText(qs(text)); }
    std::string text() const override { return m_control.text().toStdString(); }
};

class QtPart final : public WidgetPart<Part> {
public:
    using WidgetPart::WidgetPart;
};

class QtTimer final : public Timer {
public:
    explicit QtTimer(chrome::DesignTimer& timer) : m_timer(timer)
    {
        m_connection = QObject::connect(&timer, &chrome::DesignTimer::timeout, [this] {
            if (onTick)
                onTick();
        });
    }
    ~QtTimer() override { QObject::disconnect(m_connection); }

    void setEnabled(bool enabled) override { m_timer.setEnabled(enabled); }
    bool isEnabled() const override { return m_timer.isEnabled(); }
    int interval() const override { return m_timer.interval(); }
    void setInterval(int milliseconds) override { m_timer.setInterval(milliseconds); }

private:
    chrome::DesignTimer& m_timer;
    QMetaObject::Connection m_connection;
};

class ShowWatcher final : public QObject {
public:
    explicit ShowWatcher(Window& window) : m_window(window) {}

    bool eventFilter(QObject*, QEvent* event) override
    {
        // The window system's own show events (a window coming back from the task bar) are no new showing.
        if (event->type() == QEvent::Show && !event->spontaneous() && m_window.onShow)
            m_window.onShow();
        return false;
    }

private:
    Window& m_window;
};

} // namespace

QtWindow::QtWindow(QWidget& window) : m_window(window), m_showWatcher(std::make_unique<ShowWatcher>(*this))
{
    m_window.installEventFilter(m_showWatcher.get());
}

QtWindow::~QtWindow()
{
    m_window.removeEventFilter(m_showWatcher.get());
}

NativeId QtWindow::nativeId() const
{
    return &m_window;
}

void QtWindow::setVisible(bool visible)
{
    m_window.setVisible(visible);
}

bool QtWindow::isVisible() const
{
    return m_window.isVisible();
}

void QtWindow::bringForward()
{
    // Showing a hidden window tells onShow by its event; an open one has none.
    const bool open = m_window.isVisible();
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
    if (open && onShow)
        onShow();
}

void QtWindow::minimise()
{
    m_window.showMinimized();
}

void QtWindow::close()
{
    m_window.close();
}

Point QtWindow::position() const
{
    return {m_window.x(), m_window.y()};
}

void QtWindow::move(Point topLeft)
{
    m_window.move(topLeft.x, topLeft.y);
}

void QtWindow::setOpacity(std::uint8_t alpha)
{
    m_window.setWindowOpacity(alpha / 255.0);
}

template <class Wrapper, class Widget>
Wrapper* QtWindow::find(std::map<std::string, std::unique_ptr<Wrapper>>& made, const std::string& name)
{
    if (auto found = made.find(name); found != made.end())
        return found->second.get();
    // Qt's search takes an empty name for any name.
    auto* widget = name.empty() ? nullptr : m_window.findChild<Widget*>(qs(name), Qt::FindDirectChildrenOnly);
    if (!widget)
        return nullptr;
    std::unique_ptr<Wrapper> wrapper;
    if constexpr (std::is_same_v<Widget, chrome::PictureControl>)
        wrapper = std::make_unique<QtPicture>(*widget);
    else if constexpr (std::is_same_v<Widget, chrome::SkinLabel>)
        wrapper = std::make_unique<QtLabel>(*widget);
    else if constexpr (std::is_same_v<Widget, chrome::DesignTimer>)
        wrapper = std::make_unique<QtTimer>(*widget);
    else
        wrapper = std::make_unique<QtPart>(*widget);
    return made.emplace(name, std::move(wrapper)).first->second.get();
}

Picture* QtWindow::picture(const std::string& name)
{
    return find<Picture, chrome::PictureControl>(m_pictures, name);
}

Label* QtWindow::label(const std::string& name)
{
    return find<Label, chrome::SkinLabel>(m_labels, name);
}

Timer* QtWindow::timer(const std::string& name)
{
    return find<Timer, chrome::DesignTimer>(m_timers, name);
}

Part* QtWindow::part(const std::string& name)
{
    if (Picture* found = picture(name))
        return found;
    if (Label* found = label(name))
        return found;
    return find<Part, QWidget>(m_parts, name);
}

} // namespace ui::qt
