#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace core {

// One top-level window of the desktop as the window list shows it: the id of the process that
// owns it (0 when the window system does not tell), its caption and its class name, in UTF-8. Long texts may come cut: the list shows
// no more than 39 characters of either.
struct TopLevelWindow {
    std::uint32_t processId = 0;
    std::string caption;
    std::string className;

    friend bool operator==(const TopLevelWindow&, const TopLevelWindow&) = default;
};

// Asks the window system for its top-level windows. One implementation per window system;
// tests use a fake.
class DesktopWindows {
public:
    virtual ~DesktopWindows() = default;
    // Every top-level window, visible or not, in the order the window system keeps them. A
    // window that goes away while it is being asked about is left out.
    virtual std::vector<TopLevelWindow> topLevelWindows() = 0;
};

// A desktop without a window system we can ask (offscreen, Wayland without X): no windows.
class NoDesktopWindows final : public DesktopWindows {
public:
    std::vector<TopLevelWindow> topLevelWindows() override { return {}; }
};

} // namespace core
