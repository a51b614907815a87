#pragma once

#include "core/platform/desktop_windows.h"

#include <functional>
#include <memory>

namespace core {

// The top-level windows of the X server named by `display` (nullptr: $DISPLAY), through a
// connection of our own; null when there is no server to connect to. Where a window manager
// frames the windows, the window listed is the client inside the frame. `treeRead` runs after
// the root's children have been listed and before anything is asked about them (tests end a
// client there).
std::unique_ptr<DesktopWindows> connectXcbDesktop(const char* display, std::function<void()> treeRead = {});

} // namespace core
