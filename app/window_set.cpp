#include "app/window_set.h"

#include "app/tform1.h"
#include "app/tform10.h"
#include "app/tform8.h"
#include "sections/crash/tform64.h"
#include "sections/file_compatibility/tform9.h"
#include "sections/folders/tform18.h"
#include "sections/internet/tform7.h"
#include "sections/performance/tform5.h"
#include "sections/protection/tform4.h"
#include "sections/removal/tform6.h"
#include "sections/search/tform13.h"
#include "sections/start_bar/tform26.h"
#include "sections/system/tform2.h"

#include <QEvent>
#include <QPointer>

#include <utility>

namespace app {

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
    m_context.window = [this](std::string_view className) { return byClass(className); };
    m_context.idleMonitor = m_idleMonitor.get();
    create<TForm1>(*this);
    create<TForm2>();
    create<TForm4>();
    create<TForm5>();
    create<TForm6>();
    create<TForm7>();
    create<TForm8>(*this);
    create<TForm9>();
    create<TForm13>();
    create<TForm18>();
    create<TForm26>();
    create<TForm64>();
    create<TForm10>(*this);
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

template <class Window, class... Arguments>
void WindowSet::create(Arguments&&... arguments)
{
    auto window = std::make_unique<Window>(m_context, std::forward<Arguments>(arguments)...);
    window->installEventFilter(m_minimiseGroup.get());
    m_windows.push_back(std::move(window));
}

std::vector<QWidget*> WindowSet::windows() const
{
    std::vector<QWidget*> list;
    for (const auto& window : m_windows)
        list.push_back(window.get());
    return list;
}

QWidget* WindowSet::byClass(std::string_view className) const
{
    for (const auto& window : m_windows) {
        if (className == window->metaObject()->className())
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
