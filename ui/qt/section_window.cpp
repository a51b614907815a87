#include "ui/qt/section_window.h"

#include "ui/qt/qt_text.h"

#include <QCloseEvent>

#include <utility>

namespace chrome {

namespace {

SectionServices servicesOf(Context& context)
{
    return {context.registry,
            context.settingsPath,
            context.systemCalls,
            context.errors,
            context.messageBoxes,
            context.desktop,
            context.processes,
            context.drive,
            [&context](std::string_view className) {
                // A plain show: the windows opened this way keep no settings to read.
                if (ui::Window* window = context.window ? context.window(className) : nullptr)
                    window->bringForward();
            }};
}

} // namespace

SectionWindow::SectionWindow(Context& context, const WindowDefinition& definition,
                             const SectionBehaviourFactory& factory)
    : SkinnedWindow(context, definition)
    , m_services(servicesOf(context))
    , m_behaviour(factory ? factory(parts(), definition, m_services)
                          : std::make_unique<SectionBehaviour>(parts(), definition, m_services))
{
}

SectionWindow::SectionWindow(Context& context, const WindowDefinition& definition, const ClassBehaviourFactory& factory)
    : SkinnedWindow(context, definition)
    , m_services(servicesOf(context))
    , m_class(factory(parts(), definition))
{
}

SectionWindow::~SectionWindow() = default;

ClassBehaviour& SectionWindow::classBehaviour() const
{
    return m_behaviour ? static_cast<ClassBehaviour&>(*m_behaviour) : *m_class;
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

void SectionWindow::showEvent(QShowEvent* event)
{
    SkinnedWindow::showEvent(event);
    if (parts().onFirstShow)
        handle(std::exchange(parts().onFirstShow, nullptr));
}

void SectionWindow::closeEvent(QCloseEvent* event)
{
    event->setAccepted(!parts().onClose || parts().onClose());
    if (event->isAccepted())
        emit closed();
}

} // namespace chrome
