#pragma once

#include "chrome/errors.h"

#include "core/io/drive_files.h"
#include "core/machine/machine.h"
#include "core/platform/clock.h"
#include "core/platform/desktop_windows.h"
#include "core/platform/drive_space.h"
#include "core/platform/process_control.h"
#include "core/platform/system_calls.h"
#include "core/registry/registry_api.h"
#include "ui/parts.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace chrome {

class IdleMonitor;
class PictureStore;

// Where the mouse cursor is on the screen; a seam so that tests can drive dragging.
class CursorSource {
public:
    virtual ~CursorSource() = default;
    virtual ui::Point position() const = 0;
};

// The size in pixels of the monitor that holds a window; a seam so that tests choose it.
class ScreenSource {
public:
    virtual ~ScreenSource() = default;
    virtual ui::Size size(const ui::Window& window) const = 0;
};

// Everything a window reaches outside itself. Made once at start-up (a test makes its own)
// and handed to every window; there are no globals.
struct Context {
    core::RegistryApi& registry;
    std::filesystem::path settingsPath;
    core::SystemCalls& systemCalls;
    // Runs one command line through the machine's command interpreter and waits for it.
    std::function<void(const std::string& commandLine)> shell;
    ErrorReporter& errors;
    MessageBoxes& messageBoxes;
    const CursorSource& cursor;
    const core::Clock& clock;
    const core::DriveSpaceQuery& driveSpace;
    const ScreenSource& screen;
    PictureStore& pictures;
    // The window list's platform services: the desktop's top-level windows, ending a process.
    core::DesktopWindows& desktop;
    core::ProcessControl& processes;
    // Minimises every window of the program together; set by the window set.
    std::function<void()> minimiseApplication;
    // Another window of the program by its class name ("TForm9"), null when there is none; set
    // by the window set.
    std::function<ui::Window*(std::string_view className)> window = nullptr;
    // Tells the watcher timers whether anybody uses the program; set by the window set. Without
    // it every timer runs at its design interval.
    IdleMonitor* idleMonitor = nullptr;
    // The machine whose drive C: the windows' Windows paths name; none leaves such paths unfound.
    const core::Machine* machine = nullptr;
    // Its drive C: for the section windows' file tools; none with no machine.
    const core::DriveFiles* drive = nullptr;
    // Option targets mark the choice the machine is set to; from the settings file at start.
    bool showOptionState = false;
};

} // namespace chrome
