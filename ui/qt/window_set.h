#pragma once

#include "chrome/context.h"
#include "chrome/window_behaviour.h"
#include "ui/qt/idle_monitor.h"
#include "ui/qt/section_window.h"

#include <QWidget>

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

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

    // The behaviour of a window's class, or a window of the program's own Qt classes.
    template <class Window>
    Window& get() const
    {
        for (const Entry& entry : m_windows) {
            if constexpr (std::is_base_of_v<QObject, Window>) {
                if (auto* found = qobject_cast<Window*>(entry.widget.get()))
                    return *found;
            } else if (auto* found = dynamic_cast<Window*>(entry.behaviour)) {
                return *found;
            }
        }
        throw std::logic_error("window not created yet");
    }
    // The design name of a window's class ("TForm2"); empty for a widget not of the set.
    std::string className(const QWidget& window) const;

    chrome::SectionWindow& main() const;
    chrome::IdleMonitor& idleMonitor() const { return *m_idleMonitor; }

    // Minimises every visible window together; restoring one of them restores them all.
    void minimiseAll();

    // One window: its class's design name, its widget, its parts and its class's behaviour.
    struct Entry {
        std::string className;
        std::unique_ptr<QWidget> widget;
        ui::Window* parts = nullptr;
        chrome::ClassBehaviour* behaviour = nullptr;
    };

private:
    class MinimiseGroup;

    const Entry* entry(std::string_view className) const;
    void open(std::string_view className) const;

    chrome::Context& m_context;
    std::unique_ptr<MinimiseGroup> m_minimiseGroup;
    std::unique_ptr<chrome::IdleMonitor> m_idleMonitor;
    std::vector<Entry> m_windows;
};

} // namespace app
