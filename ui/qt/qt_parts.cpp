#include "ui/qt/qt_parts.h"

#include "ui/qt/controls.h"
#include "ui/qt/design_timer.h"
#include "ui/qt/spin_edit.h"
#include "ui/qt/file_list_box.h"
#include "ui/qt/wallpaper/picture_files.h"
#include "ui/qt/wallpaper/preview.h"

#include <QCheckBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QObject>
#include <QPushButton>
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

void call(const std::function<void()>& handler)
{
    if (handler)
        handler();
}

class QtButton final : public WidgetPart<Button> {
public:
    explicit QtButton(QPushButton& button) : WidgetPart(button), m_button(button)
    {
        m_connections[0] = QObject::connect(&button, &QPushButton::pressed, [this] { call(onMouseDown); });
        m_connections[1] = QObject::connect(&button, &QPushButton::released, [this] { call(onMouseUp); });
        m_connections[2] = QObject::connect(&button, &QPushButton::clicked, [this] { call(onClick); });
    }
    ~QtButton() override
    {
        for (const QMetaObject::Connection& connection : m_connections)
            QObject::disconnect(connection);
    }
    void setTarget(bool target) override { m_button.setCursor(target ? Qt::PointingHandCursor : Qt::ArrowCursor); }
    // A tool's button runs no option row, so nothing ever marks it.
    void setMarked(bool) override {}
    void setText(const std::string& text) override { m_button.setText(qs(text)); }
    std::string text() const override { return m_button.text().toStdString(); }

private:
    QPushButton& m_button;
    QMetaObject::Connection m_connections[3];
};

class QtEditBox final : public WidgetPart<EditBox>, private QObject {
public:
    explicit QtEditBox(QLineEdit& edit) : WidgetPart(edit), m_edit(edit)
    {
        m_connection = QObject::connect(&edit, &QLineEdit::textEdited, [this] { call(onChange); });
        edit.installEventFilter(this);
    }
    ~QtEditBox() override
    {
        m_edit.removeEventFilter(this);
        QObject::disconnect(m_connection);
    }
    void setText(const std::string& text) override { m_edit.setText(qs(text)); }
    std::string text() const override { return m_edit.text().toStdString(); }

private:
    bool eventFilter(QObject*, QEvent* event) override
    {
        // A held key repeats its presses but is released once.
        if (event->type() == QEvent::KeyRelease && !static_cast<QKeyEvent*>(event)->isAutoRepeat())
            call(onKeyUp);
        return false;
    }

    QLineEdit& m_edit;
    QMetaObject::Connection m_connection;
};

class QtListBox final : public WidgetPart<ListBox> {
public:
    explicit QtListBox(QListWidget& list) : WidgetPart(list), m_list(list)
    {
        m_connection = QObject::connect(&list, &QListWidget::itemClicked, [this] { call(onPick); });
    }
    ~QtListBox() override { QObject::disconnect(m_connection); }
    void setLines(const std::vector<std::string>& lines) override
    {
        m_list.clear();
        QStringList texts;
        texts.reserve(static_cast<qsizetype>(lines.size()));
        for (const std::string& line : lines)
            texts.push_back(qs(line));
        m_list.addItems(texts);
    }
    std::vector<std::string> lines() const override
    {
        std::vector<std::string> texts;
        for (int i = 0; i < m_list.count(); ++i)
            texts.push_back(m_list.item(i)->text().toStdString());
        return texts;
    }
    int selection() const override
    {
        const QList<QListWidgetItem*> selected = m_list.selectedItems();
        return selected.isEmpty() ? -1 : m_list.row(selected.front());
    }
    void setSelection(int line) override
    {
        m_list.clearSelection();
        if (QListWidgetItem* item = m_list.item(line))
            item->setSelected(true);
    }

private:
    QListWidget& m_list;
    QMetaObject::Connection m_connection;
};

class QtSpinEdit final : public WidgetPart<ui::SpinEdit> {
public:
    explicit QtSpinEdit(ui::qt::SpinBox& spin) : WidgetPart(spin), m_spin(spin)
    {
        m_connection = QObject::connect(&spin, &ui::qt::SpinBox::changed, [this] { call(onChange); });
    }
    ~QtSpinEdit() override { QObject::disconnect(m_connection); }
    int value() const override { return m_spin.value(); }
    void setValue(int value) override { m_spin.setValue(value); }

private:
    ui::qt::SpinBox& m_spin;
    QMetaObject::Connection m_connection;
};

class QtFileList final : public WidgetPart<FileList> {
public:
    explicit QtFileList(chrome::FileListBox& list) : WidgetPart(list), m_list(list)
    {
        m_connection = QObject::connect(&list, &chrome::FileListBox::fileClicked, [this] { call(onPick); });
    }
    ~QtFileList() override { QObject::disconnect(m_connection); }
    void setNames(const std::vector<std::string>& names) override
    {
        QStringList texts;
        for (const std::string& name : names)
            texts.push_back(qs(name));
        m_list.setNames(texts);
    }
    std::vector<std::string> names() const override
    {
        std::vector<std::string> texts;
        for (const QString& name : m_list.names())
            texts.push_back(name.toStdString());
        return texts;
    }
    int selection() const override
    {
        const QModelIndex current = m_list.currentIndex();
        return current.isValid() && m_list.selectionModel()->isSelected(current) ? current.row() : -1;
    }

private:
    chrome::FileListBox& m_list;
    QMetaObject::Connection m_connection;
};

class QtCheckBox final : public WidgetPart<CheckBox> {
public:
    explicit QtCheckBox(QCheckBox& box) : WidgetPart(box), m_box(box) {}
    bool isChecked() const override { return m_box.isChecked(); }
    void setChecked(bool checked) override { m_box.setChecked(checked); }

private:
    QCheckBox& m_box;
};

class QtPreview final : public WidgetPart<PicturePreview> {
public:
    explicit QtPreview(removal::Preview& preview) : WidgetPart(preview), m_preview(preview) {}
    void showFile(const core::DriveFiles& drive, const std::vector<std::string>& file) override
    {
        m_preview.setPicture(removal::loadPictureFile(drive, file));
    }
    void clear() override { m_preview.setPicture(QImage()); }
    void setStretch(bool stretch) override { m_preview.setStretch(stretch); }

private:
    removal::Preview& m_preview;
};

// The part of a tool by the kind of its widget.
std::unique_ptr<Part> toolPart(QWidget& widget)
{
    if (auto* button = qobject_cast<QPushButton*>(&widget))
        return std::make_unique<QtButton>(*button);
    if (auto* edit = qobject_cast<QLineEdit*>(&widget))
        return std::make_unique<QtEditBox>(*edit);
    if (auto* list = qobject_cast<QListWidget*>(&widget))
        return std::make_unique<QtListBox>(*list);
    if (auto* box = qobject_cast<QCheckBox*>(&widget))
        return std::make_unique<QtCheckBox>(*box);
    if (auto* preview = qobject_cast<removal::Preview*>(&widget))
        return std::make_unique<QtPreview>(*preview);
    if (auto* files = qobject_cast<chrome::FileListBox*>(&widget))
        return std::make_unique<QtFileList>(*files);
    if (auto* spin = qobject_cast<ui::qt::SpinBox*>(&widget))
        return std::make_unique<QtSpinEdit>(*spin);
    return std::make_unique<QtPart>(widget);
}

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
Wrapper* QtWindow::wrap(std::map<std::string, std::unique_ptr<Wrapper>>& made, const std::string& name)
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
        wrapper = toolPart(*widget);
    return made.emplace(name, std::move(wrapper)).first->second.get();
}

Picture* QtWindow::picture(const std::string& name)
{
    return wrap<Picture, chrome::PictureControl>(m_pictures, name);
}

Label* QtWindow::label(const std::string& name)
{
    return wrap<Label, chrome::SkinLabel>(m_labels, name);
}

Timer* QtWindow::timer(const std::string& name)
{
    return wrap<Timer, chrome::DesignTimer>(m_timers, name);
}

Part* QtWindow::part(const std::string& name)
{
    if (Picture* found = picture(name))
        return found;
    if (Label* found = label(name))
        return found;
    return wrap<Part, QWidget>(m_parts, name);
}

} // namespace ui::qt
