#include "ui/qt/accessibility.h"

#include "ui/qt/controls.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <QPointer>
#include <QTimer>

#include <optional>

namespace chrome {

namespace {

// A picture or label of a skinned window. Qt keeps the first interface it makes for a widget,
// and a label's first comes with its text, before the window has made it a target: what the
// widget is, is therefore asked anew each time.
class SkinAccessible : public QAccessibleWidget {
public:
    explicit SkinAccessible(QWidget* widget) : QAccessibleWidget(widget) {}

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        if (const QWidget* indicator = toggleIndicator(*widget())) {
            state.checkable = true;
            state.checked = !indicator->isHidden();
        } else if (const std::optional<bool> current = marked(*widget())) {
            state.checkable = true;
            state.checked = *current;
        }
        return state;
    }

    QAccessible::Role role() const override
    {
        // A switch is a check box, as a push button's checked state goes unannounced; so is a
        // choice that tells whether the machine is set to it.
        if (isToggle())
            return QAccessible::CheckBox;
        if (isTarget(*widget()))
            return QAccessible::Button;
        // A caption reads as text; a picture without one is a graphic.
        if (qobject_cast<const QLabel*>(widget()) || !widget()->accessibleName().isEmpty())
            return QAccessible::StaticText;
        return QAccessible::Graphic;
    }

    QString text(QAccessible::Text t) const override
    {
        const QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty()) {
            if (const auto* label = qobject_cast<const QLabel*>(widget()))
                return label->text();
        }
        return text;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (isToggle())
            names.prepend(toggleAction());
        else if (isTarget(*widget()))
            names.prepend(pressAction());
        return names;
    }

    bool isToggle() const { return toggleIndicator(*widget()) || marked(*widget()).has_value(); }

    void doAction(const QString& action) override
    {
        if ((action != pressAction() && action != toggleAction()) || !isTarget(*widget())) {
            QAccessibleWidget::doAction(action);
            return;
        }
        // Later, from the event loop: a click that opens a modal box must not hold up the
        // answer to the assistive technology that pressed.
        QTimer::singleShot(0, widget(), [target = QPointer<QWidget>(widget())] {
            if (target)
                clickTarget(*target);
        });
    }
};

// A skinned window, whose decorative texts are no children of it for assistive technology.
class SkinnedWindowAccessible : public QAccessibleWidget {
public:
    explicit SkinnedWindowAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Window) {}

    int childCount() const override { return static_cast<int>(children().size()); }

    QAccessibleInterface* child(int index) const override
    {
        const QList<QWidget*> list = children();
        return index >= 0 && index < list.size() ? QAccessible::queryAccessibleInterface(list.at(index)) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child ? static_cast<int>(children().indexOf(qobject_cast<QWidget*>(child->object()))) : -1;
    }

private:
    QList<QWidget*> children() const
    {
        QList<QWidget*> list;
        for (QObject* object : widget()->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (child && !child->isWindow() && !isDecorative(*child))
                list.append(child);
        }
        return list;
    }
};

QAccessibleInterface* skinnedInterface(const QString& className, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    if (className == QLatin1String("chrome::SkinnedWindow"))
        return new SkinnedWindowAccessible(widget);
    if (className == QLatin1String("chrome::PictureControl") || className == QLatin1String("chrome::SkinLabel"))
        return new SkinAccessible(widget);
    return nullptr;
}

} // namespace

void installAccessibility()
{
    // Qt keeps the factory once.
    QAccessible::installFactory(&skinnedInterface);
}

} // namespace chrome
