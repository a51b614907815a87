#include "ui/qt/hints.h"

#include "ui/qt/controls.h"

#include <QApplication>
#include <QHelpEvent>
#include <QProxyStyle>
#include <QToolTip>

namespace chrome {

namespace {

QString filterName()
{
    return QStringLiteral("hintFilter");
}

class HintStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return kHintShowDelay;
        if (hint == SH_ToolTip_FallAsleepDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Shows a control's hint only while its hint flag is on, and for 10 s.
class HintFilter : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
            return false;
        auto* control = static_cast<QWidget*>(watched);
        auto* help = static_cast<QHelpEvent*>(event);
        if (hintShown(*control) && !control->toolTip().isEmpty())
            QToolTip::showText(help->globalPos(), control->toolTip(), control, QRect(), kHintHideAfter);
        else
            QToolTip::hideText();
        return true;
    }
};

} // namespace

void installHintSettings(QApplication& application)
{
    if (application.findChild<QObject*>(filterName(), Qt::FindDirectChildrenOnly))
        return;
    auto* filter = new HintFilter(&application);
    filter->setObjectName(filterName());
    application.installEventFilter(filter);
    QApplication::setStyle(new HintStyle);

    QPalette palette = QToolTip::palette();
    palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 255));
    palette.setColor(QPalette::ToolTipText, QColor(0, 0, 0));
    QToolTip::setPalette(palette);
}

} // namespace chrome
