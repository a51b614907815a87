#include "ui/qt/qt_parts.h"

#include "chrome/definition.h"
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
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

#include <algorithm>
#include <optional>
#include <utility>

namespace ui::qt {

namespace {

QString qs(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

void call(const std::function<void()>& handler)
{
    if (handler)
        handler();
}

// A part that takes its widget after it was made.
class Attachable {
public:
    virtual ~Attachable() = default;
    // False when the widget is of another kind.
    virtual bool attach(QWidget& widget) = 0;
};

// What every part keeps while its widget is not built: what was set on it, over what its
// component was designed with.
template <class Base, class Widget>
class WidgetPart : public Base, public Attachable {
public:
    // A part whose widget `build` builds later; `component` outlives it.
    WidgetPart(const chrome::Component& component, std::function<void()> build)
        : m_component(&component)
        , m_build(std::move(build))
    {
    }
    WidgetPart() = default;

    bool attach(QWidget& widget) final
    {
        auto* typed = qobject_cast<Widget*>(&widget);
        if (!typed)
            return false;
        m_widget = typed;
        if (m_place)
            setPlace(*m_place);
        if (m_visible)
            m_widget->setVisible(*m_visible);
        if (m_name)
            m_widget->setAccessibleName(qs(*m_name));
        if (m_description)
            m_widget->setAccessibleDescription(qs(*m_description));
        if (m_hint)
            m_widget->setToolTip(qs(*m_hint));
        if (m_hintShown)
            chrome::setHintShown(*m_widget, *m_hintShown);
        m_place.reset();
        m_name.reset();
        m_description.reset();
        m_hint.reset();
        applyState();
        connectSignals();
        return true;
    }

    NativeId nativeId() const override
    {
        build();
        return m_widget;
    }
    void setVisible(bool visible) override
    {
        if (m_widget)
            m_widget->setVisible(visible);
        else
            m_visible = visible;
    }
    bool isVisible() const override
    {
        if (m_widget)
            return !m_widget->isHidden();
        return m_visible.value_or(m_component->visible);
    }
    Rect place() const override
    {
        build();
        if (!m_widget)
            return {};
        const QRect r = m_widget->geometry();
        return {r.x(), r.y(), r.width(), r.height()};
    }
    void setPlace(const Rect& place) override
    {
        if (m_widget)
            m_widget->setGeometry(place.x, place.y, place.width, place.height);
        else
            m_place = place;
    }
    void setAccessibleName(const std::string& name) override
    {
        if (m_widget)
            m_widget->setAccessibleName(qs(name));
        else
            m_name = name;
    }
    void setAccessibleDescription(const std::string& text) override
    {
        if (m_widget)
            m_widget->setAccessibleDescription(qs(text));
        else
            m_description = text;
    }
    void setHint(const std::string& text) override
    {
        if (m_widget)
            m_widget->setToolTip(qs(text));
        else
            m_hint = text;
    }
    std::string hint() const override
    {
        if (m_widget)
            return m_widget->toolTip().toStdString();
        return m_hint.value_or(std::string());
    }
    void setHintShown(bool shown) override
    {
        if (m_widget)
            chrome::setHintShown(*m_widget, shown);
        else
            m_hintShown = shown;
    }
    bool hintShown() const override
    {
        if (m_widget)
            return chrome::hintShown(*m_widget);
        return m_hintShown.value_or(false);
    }

protected:
    // Hands the widget what was set on the part of its own kind.
    virtual void applyState() {}
    virtual void connectSignals() {}

    void build() const
    {
        if (!m_widget && m_build)
            m_build();
    }

    Widget* m_widget = nullptr;
    const chrome::Component* m_component = nullptr;

private:
    std::function<void()> m_build;
    std::optional<bool> m_visible;
    std::optional<Rect> m_place;
    std::optional<std::string> m_name;
    std::optional<std::string> m_description;
    std::optional<std::string> m_hint;
    std::optional<bool> m_hintShown;
};

// Connections that end with the part, which may go before its widget.
class Connections {
public:
    Connections() = default;
    Connections(const Connections&) = delete;
    Connections& operator=(const Connections&) = delete;
    ~Connections()
    {
        for (const QMetaObject::Connection& connection : m_connections)
            QObject::disconnect(connection);
    }
    void add(QMetaObject::Connection connection) { m_connections.push_back(std::move(connection)); }

private:
    std::vector<QMetaObject::Connection> m_connections;
};

// Forwards the control's mouse signals to the part's handlers.
template <class Base, class Control>
class ClickablePart : public WidgetPart<Base, Control> {
public:
    using WidgetPart<Base, Control>::WidgetPart;

    void setTarget(bool target) override
    {
        if (!target)
            return;
        if (!this->m_widget) {
            m_target = true;
            return;
        }
        this->m_widget->setCursor(Qt::PointingHandCursor);
        chrome::makeTarget(*this->m_widget);
    }
    void setMarked(bool marked) override
    {
        if (this->m_widget)
            chrome::setMarked(*this->m_widget, marked);
        else
            m_marked = marked;
    }

protected:
    void applyState() override
    {
        if (m_target)
            setTarget(true);
        if (m_marked)
            setMarked(*m_marked);
    }
    void connectSignals() override
    {
        Control* control = this->m_widget;
        m_connections.add(QObject::connect(control, &Control::mouseDown, [this] { call(this->onMouseDown); }));
        m_connections.add(QObject::connect(control, &Control::mouseUp, [this] { call(this->onMouseUp); }));
        m_connections.add(QObject::connect(control, &Control::clicked, [this] { call(this->onClick); }));
    }

private:
    bool m_target = false;
    std::optional<bool> m_marked;
    Connections m_connections;
};

template <class Widget>
void setWidgetText(Widget& widget, const QString& text)
{
    widget.setText(text);
}
void setWidgetText(QPlainTextEdit& widget, const QString& text)
{
    widget.setPlainText(text);
}
template <class Widget>
QString widgetText(const Widget& widget)
{
    return widget.text();
}
QString widgetText(const QPlainTextEdit& widget)
{
    return widget.toPlainText();
}

// A part with a text, which it holds until its widget is built.
template <class Parent>
class TextPart : public Parent {
public:
    using Parent::Parent;
    void setText(const std::string& text) override
    {
        if (this->m_widget)
            showText(qs(text));
        else
            m_text = text;
    }
    std::string text() const override
    {
        if (this->m_widget)
            return widgetText(*this->m_widget).toStdString();
        return m_text.value_or(this->m_component->text);
    }

protected:
    virtual void showText(const QString& text) { setWidgetText(*this->m_widget, text); }
    void applyState() override
    {
        Parent::applyState();
        if (m_text)
            showText(qs(*std::exchange(m_text, std::nullopt)));
    }

private:
    std::optional<std::string> m_text;
};

class QtPicture final : public ClickablePart<Picture, chrome::PictureControl> {
public:
    using ClickablePart::ClickablePart;
    // The window loads its pictures from its store when it is first shown.
    void setPicture(const std::string&) override {}
};

class QtLabel final : public TextPart<ClickablePart<Label, chrome::SkinLabel>> {
public:
    using TextPart::TextPart;

private:
    // A label designed without a width grows with its text.
    void showText(const QString& text) override
    {
        m_widget->setText(text);
        if (m_widget->property("autoSize").toBool())
            m_widget->adjustSize();
    }
};

class QtPart final : public WidgetPart<Part, QWidget> {};

class QtButton final : public TextPart<WidgetPart<Button, QPushButton>> {
public:
    using TextPart::TextPart;
    void setTarget(bool target) override
    {
        if (m_widget)
            m_widget->setCursor(target ? Qt::PointingHandCursor : Qt::ArrowCursor);
        else
            m_target = target;
    }
    // A tool's button runs no option row, so nothing ever marks it.
    void setMarked(bool) override {}

private:
    void applyState() override
    {
        if (m_target)
            setTarget(*m_target);
        TextPart::applyState();
    }
    void connectSignals() override
    {
        m_connections.add(QObject::connect(m_widget, &QPushButton::pressed, [this] { call(onMouseDown); }));
        m_connections.add(QObject::connect(m_widget, &QPushButton::released, [this] { call(onMouseUp); }));
        m_connections.add(QObject::connect(m_widget, &QPushButton::clicked, [this] { call(onClick); }));
    }

    std::optional<bool> m_target;
    Connections m_connections;
};

class QtEditBox final : public TextPart<WidgetPart<EditBox, QLineEdit>>, private QObject {
public:
    using TextPart::TextPart;
    ~QtEditBox() override
    {
        if (m_widget)
            m_widget->removeEventFilter(this);
    }

private:
    void connectSignals() override
    {
        m_connections.add(QObject::connect(m_widget, &QLineEdit::textEdited, [this] { call(onChange); }));
        m_widget->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        // A held key repeats its presses but is released once.
        if (event->type() == QEvent::KeyRelease && !static_cast<QKeyEvent*>(event)->isAutoRepeat())
            call(onKeyUp);
        return false;
    }

    Connections m_connections;
};

// A box of plain text: the name entry.
class QtTextEntry final : public TextPart<WidgetPart<EditBox, QPlainTextEdit>> {
public:
    using TextPart::TextPart;

private:
    void connectSignals() override
    {
        m_connections.add(QObject::connect(m_widget, &QPlainTextEdit::textChanged, [this] { call(onChange); }));
    }

    Connections m_connections;
};

class QtListBox final : public WidgetPart<ListBox, QListWidget> {
public:
    using WidgetPart::WidgetPart;
    void setLines(const std::vector<std::string>& lines) override
    {
        if (!m_widget) {
            m_lines = lines;
            m_selection = -1;
            return;
        }
        m_widget->clear();
        QStringList texts;
        texts.reserve(static_cast<qsizetype>(lines.size()));
        for (const std::string& line : lines)
            texts.push_back(qs(line));
        m_widget->addItems(texts);
    }
    std::vector<std::string> lines() const override
    {
        if (!m_widget)
            return m_lines;
        std::vector<std::string> texts;
        for (int i = 0; i < m_widget->count(); ++i)
            texts.push_back(m_widget->item(i)->text().toStdString());
        return texts;
    }
    int selection() const override
    {
        if (!m_widget)
            return m_selection;
        const QList<QListWidgetItem*> selected = m_widget->selectedItems();
        return selected.isEmpty() ? -1 : m_widget->row(selected.front());
    }
    void setSelection(int line) override
    {
        if (!m_widget) {
            m_selection = line >= 0 && static_cast<std::size_t>(line) < m_lines.size() ? line : -1;
            return;
        }
        m_widget->clearSelection();
        if (QListWidgetItem* item = m_widget->item(line))
            item->setSelected(true);
    }

private:
    void applyState() override
    {
        if (!m_lines.empty())
            setLines(std::exchange(m_lines, {}));
        if (m_selection >= 0)
            setSelection(m_selection);
    }
    void connectSignals() override
    {
        m_connections.add(QObject::connect(m_widget, &QListWidget::itemClicked, [this] { call(onPick); }));
    }

    std::vector<std::string> m_lines;
    int m_selection = -1;
    Connections m_connections;
};

class QtSpinEdit final : public WidgetPart<ui::SpinEdit, ui::qt::SpinBox> {
public:
    using WidgetPart::WidgetPart;
    int value() const override
    {
        if (m_widget)
            return m_widget->value();
        return m_value.value_or(clamped(m_component->value));
    }
    void setValue(int value) override
    {
        if (m_widget) {
            m_widget->setValue(value);
            return;
        }
        // The field tells of a change of its text, as the widget would.
        const int before = this->value();
        m_value = clamped(value);
        if (*m_value != before)
            call(onChange);
    }

private:
    int clamped(int value) const { return std::clamp(value, m_component->minimum, m_component->maximum); }
    void applyState() override
    {
        if (m_value)
            m_widget->setValue(*m_value);
    }
    void connectSignals() override
    {
        m_connections.add(QObject::connect(m_widget, &ui::qt::SpinBox::changed, [this] { call(onChange); }));
    }

    std::optional<int> m_value;
    Connections m_connections;
};

class QtFileList final : public WidgetPart<FileList, chrome::FileListBox> {
public:
    using WidgetPart::WidgetPart;
    void setNames(const std::vector<std::string>& names) override
    {
        if (!m_widget) {
            m_names = names;
            return;
        }
        QStringList texts;
        for (const std::string& name : names)
            texts.push_back(qs(name));
        m_widget->setNames(texts);
    }
    std::vector<std::string> names() const override
    {
        if (!m_widget)
            return m_names.value_or(std::vector<std::string>());
        std::vector<std::string> texts;
        for (const QString& name : m_widget->names())
            texts.push_back(name.toStdString());
        return texts;
    }
    int selection() const override
    {
        // Only the user selects a line, on the widget.
        if (!m_widget)
            return -1;
        const QModelIndex current = m_widget->currentIndex();
        return current.isValid() && m_widget->selectionModel()->isSelected(current) ? current.row() : -1;
    }

private:
    void applyState() override
    {
        if (m_names)
            setNames(*std::exchange(m_names, std::nullopt));
    }
    void connectSignals() override
    {
        m_connections.add(QObject::connect(m_widget, &chrome::FileListBox::fileClicked, [this] { call(onPick); }));
    }

    std::optional<std::vector<std::string>> m_names;
    Connections m_connections;
};

class QtCheckBox final : public WidgetPart<CheckBox, QCheckBox> {
public:
    using WidgetPart::WidgetPart;
    bool isChecked() const override
    {
        if (m_widget)
            return m_widget->isChecked();
        return m_checked.value_or(m_component->value != 0);
    }
    void setChecked(bool checked) override
    {
        if (m_widget)
            m_widget->setChecked(checked);
        else
            m_checked = checked;
    }

private:
    void applyState() override
    {
        if (m_checked)
            m_widget->setChecked(*m_checked);
    }

    std::optional<bool> m_checked;
};

class QtPreview final : public WidgetPart<PicturePreview, removal::Preview> {
public:
    using WidgetPart::WidgetPart;
    void showFile(const core::DriveFiles& drive, const std::vector<std::string>& file) override
    {
        display(removal::loadPictureFile(drive, file));
    }
    void clear() override { display(QImage()); }
    void setStretch(bool stretch) override
    {
        if (m_widget)
            m_widget->setStretch(stretch);
        else
            m_stretch = stretch;
    }

private:
    void display(const QImage& picture)
    {
        if (m_widget)
            m_widget->setPicture(picture);
        else
            m_picture = picture;
    }
    void applyState() override
    {
        if (m_stretch)
            m_widget->setStretch(*m_stretch);
        if (m_picture)
            m_widget->setPicture(*std::exchange(m_picture, std::nullopt));
    }

    std::optional<QImage> m_picture;
    std::optional<bool> m_stretch;
};

// The part of a widget built already, by its kind.
std::unique_ptr<Part> widgetPart(QWidget& widget)
{
    std::unique_ptr<Part> part;
    if (qobject_cast<chrome::PictureControl*>(&widget))
        part = std::make_unique<QtPicture>();
    else if (qobject_cast<chrome::SkinLabel*>(&widget))
        part = std::make_unique<QtLabel>();
    else if (qobject_cast<QPushButton*>(&widget))
        part = std::make_unique<QtButton>();
    else if (qobject_cast<QLineEdit*>(&widget))
        part = std::make_unique<QtEditBox>();
    else if (qobject_cast<QListWidget*>(&widget))
        part = std::make_unique<QtListBox>();
    else if (qobject_cast<QPlainTextEdit*>(&widget))
        part = std::make_unique<QtTextEntry>();
    else if (qobject_cast<QCheckBox*>(&widget))
        part = std::make_unique<QtCheckBox>();
    else if (qobject_cast<removal::Preview*>(&widget))
        part = std::make_unique<QtPreview>();
    else if (qobject_cast<chrome::FileListBox*>(&widget))
        part = std::make_unique<QtFileList>();
    else if (qobject_cast<ui::qt::SpinBox*>(&widget))
        part = std::make_unique<QtSpinEdit>();
    else
        part = std::make_unique<QtPart>();
    dynamic_cast<Attachable&>(*part).attach(widget);
    return part;
}

// The part of a component whose widget is built later; none for a timer.
std::unique_ptr<Part> componentPart(const chrome::Component& component, const std::function<void()>& build)
{
    using chrome::ComponentKind;
    switch (component.kind) {
    case ComponentKind::Picture: return std::make_unique<QtPicture>(component, build);
    case ComponentKind::Label: return std::make_unique<QtLabel>(component, build);
    case ComponentKind::Button: return std::make_unique<QtButton>(component, build);
    case ComponentKind::EditBox: return std::make_unique<QtEditBox>(component, build);
    case ComponentKind::ListBox: return std::make_unique<QtListBox>(component, build);
    case ComponentKind::NameEntry: return std::make_unique<QtTextEntry>(component, build);
    case ComponentKind::SpinEdit: return std::make_unique<QtSpinEdit>(component, build);
    case ComponentKind::FileList: return std::make_unique<QtFileList>(component, build);
    case ComponentKind::CheckBox: return std::make_unique<QtCheckBox>(component, build);
    case ComponentKind::Preview: return std::make_unique<QtPreview>(component, build);
    case ComponentKind::Timer: break;
    }
    return nullptr;
}

class QtTimer final : public Timer {
public:
    explicit QtTimer(chrome::DesignTimer& timer) : m_timer(timer)
    {
        m_connection = QObject::connect(&timer, &chrome::DesignTimer::timeout, [this] { call(onTick); });
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

QtWindow::QtWindow(QWidget& window, const chrome::WindowDefinition& definition, std::function<void()> buildWidgets)
    : QtWindow(window)
{
    m_definition = &definition;
    m_buildWidgets = std::move(buildWidgets);
    m_widgetsBuilt = false;
}

QtWindow::~QtWindow()
{
    m_window.removeEventFilter(m_showWatcher.get());
}

void QtWindow::widgetsBuilt()
{
    m_widgetsBuilt = true;
    for (const auto& [name, part] : m_parts) {
        if (auto* widget = m_window.findChild<QWidget*>(qs(name), Qt::FindDirectChildrenOnly))
            dynamic_cast<Attachable&>(*part).attach(*widget);
    }
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

void QtWindow::showModal()
{
    m_window.setWindowModality(Qt::ApplicationModal);
    bringForward();
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

Picture* QtWindow::picture(const std::string& name)
{
    return dynamic_cast<Picture*>(part(name));
}

Label* QtWindow::label(const std::string& name)
{
    return dynamic_cast<Label*>(part(name));
}

Timer* QtWindow::timer(const std::string& name)
{
    if (auto found = m_timers.find(name); found != m_timers.end())
        return found->second.get();
    // Qt's search takes an empty name for any name.
    auto* timer =
        name.empty() ? nullptr : m_window.findChild<chrome::DesignTimer*>(qs(name), Qt::FindDirectChildrenOnly);
    if (!timer)
        return nullptr;
    return m_timers.emplace(name, std::make_unique<QtTimer>(*timer)).first->second.get();
}

Part* QtWindow::part(const std::string& name)
{
    if (auto found = m_parts.find(name); found != m_parts.end())
        return found->second.get();
    if (name.empty())
        return nullptr;
    std::unique_ptr<Part> made;
    if (!m_widgetsBuilt) {
        const auto& components = m_definition->components;
        const auto component = std::find_if(components.begin(), components.end(),
                                            [&name](const chrome::Component& c) { return c.name == name; });
        if (component != components.end()) {
            if (component->kind == chrome::ComponentKind::Timer)
                return nullptr;
            made = componentPart(*component, m_buildWidgets);
        } else {
            // A widget of the window's own class, which it builds with the others.
            m_buildWidgets();
        }
    }
    if (!made) {
        auto* widget = m_window.findChild<QWidget*>(qs(name), Qt::FindDirectChildrenOnly);
        if (!widget)
            return nullptr;
        made = widgetPart(*widget);
    }
    return m_parts.emplace(name, std::move(made)).first->second.get();
}

} // namespace ui::qt
