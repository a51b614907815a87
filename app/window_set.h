#pragma once

#include "chrome/context.h"
#include "ui/qt/section_window.h"
#include "ui/qt/idle_monitor.h"

#include <QWidget>

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

class TForm1;

namespace app {

// The thirteen windows of the program, created in the order of the window table
// (app/window_table.h), the main window first, and living until the program ends. Each is the one instance of its
// class; windows reach each other through this set. The set owns the program's idle monitor, which paces the windows'
// watcher timers; `pace` is for tests.
class WindowSet {
public:
    explicit WindowSet(chrome::Context& context, chrome::IdlePace pace = {});
    WindowSet(const WindowSet&) = delete;
    WindowSet& operator=(const WindowSet&) = delete;
    ~WindowSet();

    // In creation order.
    std::vector<QWidget*> windows() const;
    QWidget* byClass(std::string_view className) const;

    // A window of the program's own Qt classes, or the behaviour of a section window.
    template <class Window>
    Window& get() const
    {
        for (const auto& window : m_windows) {
            if constexpr (std::is_base_of_v<QObject, Window>) {
                if (auto* found = qobject_cast<Window*>(window.get()))
                    return *found;
            } else if (auto* section = qobject_cast<chrome::SectionWindow*>(window.get())) {
                if (auto* found = dynamic_cast<Window*>(&section->behaviour()))
                    return *found;
            }
        }
        throw std::logic_error("window not created yet");
    }
    // The design name of a window's class: a section window's is its behaviour's.
    static std::string className(const QWidget& window);

    TForm1& main() const;
    chrome::IdleMonitor& idleMonitor() const { return *m_idleMonitor; }

    // Minimises every visible window together; restoring one of them restores them all.
    void minimiseAll();

private:
    class MinimiseGroup;

    chrome::Context& m_context;
    std::unique_ptr<MinimiseGroup> m_minimiseGroup;
    std::unique_ptr<chrome::IdleMonitor> m_idleMonitor;
    std::vector<std::unique_ptr<QWidget>> m_windows;
};

} // namespace app
