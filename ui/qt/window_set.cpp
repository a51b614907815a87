#include "ui/qt/window_set.h"

#include "app/services.h"
#include "app/tform1.h"
#include "app/tform10.h"
#include "app/tform8.h"
#include "app/window_table.h"
#include "sections/file_compatibility/tform9.h"
#include "sections/internet/tform7.h"
#include "sections/plain_windows.h"
#include "sections/protection/tform4.h"
#include "sections/removal/tform6.h"
#include "sections/system/tform2.h"
#include "ui/qt/hints.h"
#include "ui/qt/restart_prompt.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>

#include <memory>
#include <string>
#include <type_traits>
#include <utility>

namespace app {

namespace {

using WindowFactory = WindowSet::Entry (*)(chrome::Context&, const chrome::WindowDefinition*, const Services&);

// A window is built from its definition and named by it; the restart prompt, which has none,
// by its own. A skinned window hosts the behaviour of its class.
template <class Window>
WindowSet::Entry build(chrome::Context& context, const chrome::WindowDefinition* definition, const Services& services)
{
    using chrome::WindowDefinition;
    WindowSet::Entry entry;
    if constexpr (std::is_same_v<Window, TForm10>) {
        auto prompt = std::make_unique<ui::qt::RestartPrompt>(restartPrompt(), [&context]() -> QWidget* {
            ui::Window* main = context.window ? context.window("TForm1") : nullptr;
            return main ? static_cast<QWidget*>(main->nativeId()) : nullptr;
        });
        prompt->host(std::make_unique<TForm10>(prompt->parts(), services));
        entry.className = restartPrompt().className;
        entry.parts = &prompt->parts();
        entry.behaviour = &prompt->behaviour();
        entry.widget = std::move(prompt);
        return entry;
    } else {
        std::unique_ptr<chrome::SectionWindow> window;
        if constexpr (std::is_base_of_v<chrome::SectionBehaviour, Window>)
            window = std::make_unique<chrome::SectionWindow>(
                context, *definition,
                [](ui::Window& parts, const WindowDefinition& design, const chrome::SectionServices& sectionServices) {
                    return std::make_unique<Window>(parts, design, sectionServices);
                });
        else
            window = std::make_unique<chrome::SectionWindow>(
                context, *definition,
                chrome::ClassBehaviourFactory([&services](ui::Window& parts, const WindowDefinition& design)
                                                  -> std::unique_ptr<chrome::ClassBehaviour> {
                    if constexpr (std::is_constructible_v<Window, ui::Window&, const WindowDefinition&, Services>)
                        return std::make_unique<Window>(parts, design, services);
                    else
                        return std::make_unique<Window>(parts, services);
                }));
        entry.className = definition->className;
        entry.parts = &window->parts();
        entry.behaviour = &window->classBehaviour();
        entry.widget = std::move(window);
        return entry;
    }
}

// Reads the window table for the functions that build the windows.
struct Factories {
    using Kept = WindowFactory;
    template <class Window>
    static Kept of()
    {
        return &build<Window>;
    }
};

} // namespace

// Watches the windows that were minimised together: when one comes back, the others follow.
class WindowSet::MinimiseGroup : public QObject {
public:
    void minimise(const std::vector<QWidget*>& windows)
    {
        m_minimised.clear();
        for (QWidget* window : windows) {
            if (window->isVisible())
                m_minimised.push_back(window);
        }
        for (QWidget* window : m_minimised)
            window->showMinimized();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::WindowStateChange || m_minimised.empty())
            return false;
        auto* window = static_cast<QWidget*>(watched);
        if (window->isMinimized())
            return false;
        const auto others = std::exchange(m_minimised, {});
        for (const QPointer<QWidget>& other : others) {
            if (other && other != window && other->isMinimized())
                other->showNormal();
        }
        return false;
    }

private:
    std::vector<QPointer<QWidget>> m_minimised;
};

WindowSet::WindowSet(chrome::Context& context, chrome::IdlePace pace)
    : m_context(context)
    , m_minimiseGroup(std::make_unique<MinimiseGroup>())
    , m_idleMonitor(std::make_unique<chrome::IdleMonitor>(std::move(pace)))
{
    if (auto* application = qobject_cast<QApplication*>(QCoreApplication::instance()))
        chrome::installHintSettings(*application);
    m_context.minimiseApplication = [this] { minimiseAll(); };
    m_context.window = [this](std::string_view className) -> ui::Window* {
        const Entry* found = entry(className);
        return found ? found->parts : nullptr;
    };
    m_context.idleMonitor = m_idleMonitor.get();
    const Services services{m_context.registry,    m_context.settingsPath,
                            m_context.systemCalls, m_context.shell,
                            m_context.errors,      m_context.clock,
                            m_context.driveSpace,  m_context.screen,
                            m_context.window,      [this](std::string_view className) { open(className); }};
    for (const auto& row : windowTable<Factories>()) {
        Entry window = row.windowClass(m_context, row.definition, services);
        window.widget->installEventFilter(m_minimiseGroup.get());
        m_windows.push_back(std::move(window));
    }
}

WindowSet::~WindowSet()
{
    m_context.minimiseApplication = nullptr;
    m_context.window = nullptr;
    // The last created goes first, so no window outlives one it reaches.
    while (!m_windows.empty())
        m_windows.pop_back();
    m_context.idleMonitor = nullptr;
}

std::vector<QWidget*> WindowSet::windows() const
{
    std::vector<QWidget*> list;
    for (const Entry& window : m_windows)
        list.push_back(window.widget.get());
    return list;
}

const WindowSet::Entry* WindowSet::entry(std::string_view className) const
{
    for (const Entry& window : m_windows) {
        if (window.className == className)
            return &window;
    }
    return nullptr;
}

std::string WindowSet::className(const QWidget& window) const
{
    for (const Entry& entry : m_windows) {
        if (entry.widget.get() == &window)
            return entry.className;
    }
    return {};
}

QWidget* WindowSet::byClass(std::string_view name) const
{
    const Entry* found = entry(name);
    return found ? found->widget.get() : nullptr;
}

chrome::SectionWindow& WindowSet::main() const
{
    return *qobject_cast<chrome::SectionWindow*>(byClass("TForm1"));
}

void WindowSet::open(std::string_view className) const
{
    const Entry* found = entry(className);
    if (!found)
        return;
    if (auto* section = dynamic_cast<chrome::SectionBehaviour*>(found->behaviour)) {
        section->openingSequence();
        return;
    }
    // The About window is shown as it is: no settings.
    found->parts->bringForward();
}

void WindowSet::minimiseAll()
{
    m_minimiseGroup->minimise(windows());
}

} // namespace app
