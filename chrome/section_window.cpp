#include "chrome/section_window.h"

#include "chrome/qt_text.h"
#include "chrome/settings_keys.h"

#include "core/settings/ini_file.h"

#include <QCloseEvent>

namespace chrome {

SectionWindow::SectionWindow(Context& context, const WindowDefinition& definition)
    : SkinnedWindow(context, definition)
{
    const CommentsRoles& comments = roles();
    connect(commentsOnTimer(), &DesignTimer::timeout, this, [this] { handle([this] { commentsOn(); }); });
    connect(commentsOffTimer(), &DesignTimer::timeout, this, [this] { handle([this] { commentsOff(); }); });
    connect(label(qs(comments.onSwitch)), &SkinLabel::clicked, this,
            [this] { handle([this] { commentsOnTimer()->start(); }); });
    connect(label(qs(comments.offSwitch)), &SkinLabel::clicked, this,
            [this] { handle([this] { commentsOffTimer()->start(); }); });
}

SkinLabel* SectionWindow::commentsLabel() const
{
    return label(qs(roles().label));
}

DesignTimer* SectionWindow::commentsOnTimer() const
{
    return timer(qs(roles().onTimer));
}

DesignTimer* SectionWindow::commentsOffTimer() const
{
    return timer(qs(roles().offTimer));
}

void SectionWindow::openingSequence()
{
    const std::string& section = definition().settingsSection;
    {
        const core::TIniFile settings(context().settingsPath, context().systemCalls);
        const bool blend = settings.ReadInteger(section, keys::transparency, 0) != 0;
        const auto alpha = static_cast<std::uint8_t>(settings.ReadInteger(section, keys::alphaValue, 255) & 0xFF);
        setAlpha(blend, alpha);
        commentsLabel()->setText(QString::fromStdString(settings.ReadString(section, keys::comments, "Tak")));
    }
    // Only the exact texts switch; anything else keeps the state the window has.
    if (commentsLabel()->text() == QLatin1String("Tak"))
        commentsOnTimer()->start();
    else if (commentsLabel()->text() == QLatin1String("Nie"))
        commentsOffTimer()->start();
    show();
    raise();
    activateWindow();
}

void SectionWindow::closeEvent(QCloseEvent* event)
{
    const std::string& section = definition().settingsSection;
    if (section.empty()) {
        event->accept();
        return;
    }
    // The close goes through only when every write did.
    event->ignore();
    handle([&] {
        core::TIniFile settings(context().settingsPath, context().systemCalls);
        settings.WriteInteger(section, keys::transparency, alphaBlend() ? 1 : 0);
        settings.WriteInteger(section, keys::alphaValue, alphaValue());
        settings.WriteString(section, keys::comments, commentsLabel()->text().toStdString());
        event->accept();
    });
}

void SectionWindow::setHintsShown(bool shown)
{
    for (const Hint& hint : definition().hints) {
        if (auto* control = findChild<QWidget*>(qs(hint.control), Qt::FindDirectChildrenOnly))
            setHintShown(*control, shown);
    }
}

void SectionWindow::assignHints()
{
    for (const Hint& hint : definition().hints) {
        if (auto* control = findChild<QWidget*>(qs(hint.control), Qt::FindDirectChildrenOnly))
            control->setToolTip(qs(hint.text));
    }
}

void SectionWindow::commentsOn()
{
    setHintsShown(true);
    assignHints();
    label(qs(roles().offArrow))->hide();
    label(qs(roles().onArrow))->show();
    commentsLabel()->setText(QStringLiteral("Tak"));
    commentsOnTimer()->stop();
}

void SectionWindow::commentsOff()
{
    setHintsShown(false);
    label(qs(roles().onArrow))->hide();
    label(qs(roles().offArrow))->show();
    commentsLabel()->setText(QStringLiteral("Nie"));
    commentsOffTimer()->stop();
}

} // namespace chrome
