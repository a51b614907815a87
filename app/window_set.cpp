#include "app/window_set.h"

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

#include <QEvent>
#include <QPointer>

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <typeinfo>
#include <type_traits>
#include <utility>

namespace app {

namespace {

// The name of a behaviour's class as the source spells it: "TForm2".
std::string behaviourClass(const chrome::SectionBehaviour& behaviour)
{
    const char* mangled = typeid(behaviour).name();
    int status = 0;
    const std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                      std::free);
    return status == 0 && name ? std::string(name.get()) : std::string(mangled);
}

using WindowFactory = std::unique_ptr<QWidget> (*)(chrome::Context&, const chrome::WindowDefinition*, WindowSet&);

// A window is built from its definition; the windows that reach others are handed the set. A
// section window's class is its behaviour, which the section window hosts.
template <class Window>
std::unique_ptr<QWidget> build(chrome::Context& context, const chrome::WindowDefinition* definition, WindowSet& windows)
{
    using chrome::Context;
    using chrome::WindowDefinition;
    if constexpr (std::is_base_of_v<chrome::SectionBehaviour, Window>)
        return std::make_unique<chrome::SectionWindow>(
            context, *definition,
            [](ui::Window& parts, const WindowDefinition& design, const chrome::SectionServices& services) {
                return std::make_unique<Window>(parts, design, services);
            });
    else if constexpr (std::is_constructible_v<Window, Context&, const WindowDefinition&>)
        return std::make_unique<Window>(context, *definition);
    else if constexpr (std::is_constructible_v<Window, Context&, const WindowDefinition&, WindowSet&>)
        return std::make_unique<Window>(context, *definition, windows);
    else
        return std::make_unique<Window>(context, windows);
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
    m_context.minimiseApplication = [this] { minimiseAll(); };
    m_context.window = [this](std::string_view className) -> ui::Window* {
        auto* window = qobject_cast<chrome::SkinnedWindow*>(byClass(className));
        return window ? &window->parts() : nullptr;
    };
    m_context.idleMonitor = m_idleMonitor.get();
    for (const auto& row : windowTable<Factories>()) {
        std::unique_ptr<QWidget> window = row.windowClass(m_context, row.definition, *this);
        // A row that gives a definition to another window's class would build a window whose
        // settings, menu and tests all miss it.
        if (row.definition && row.definition->className != className(*window))
            throw std::logic_error(className(*window) + " built from the definition of " + row.definition->className);
        window->installEventFilter(m_minimiseGroup.get());
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
    for (const auto& window : m_windows)
        list.push_back(window.get());
    return list;
}

std::string WindowSet::className(const QWidget& window)
{
    // A section window is of its behaviour's class.
    const auto* section = qobject_cast<const chrome::SectionWindow*>(&window);
    if (section && section->metaObject() == &chrome::SectionWindow::staticMetaObject)
        return behaviourClass(section->behaviour());
    return window.metaObject()->className();
}

QWidget* WindowSet::byClass(std::string_view name) const
{
    for (const auto& window : m_windows) {
        if (name == className(*window))
            return window.get();
    }
    return nullptr;
}

TForm1& WindowSet::main() const
{
    return get<TForm1>();
}

void WindowSet::minimiseAll()
{
    m_minimiseGroup->minimise(windows());
}

} // namespace app
