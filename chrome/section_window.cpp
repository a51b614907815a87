#include "chrome/section_window.h"

#include "ui/qt/qt_text.h"

#include <QCloseEvent>

namespace chrome {

SectionWindow::SectionWindow(Context& context, const WindowDefinition& definition)
    : SkinnedWindow(context, definition)
    , m_behaviour(std::make_unique<SectionBehaviour>(parts(), definition, context.settingsPath, context.systemCalls,
                                                     context.errors))
{
}

SectionWindow::~SectionWindow() = default;

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

void SectionWindow::closeEvent(QCloseEvent* event)
{
    event->setAccepted(!parts().onClose || parts().onClose());
}

} // namespace chrome
