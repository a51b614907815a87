#pragma once

#include "core/platform/clock.h"
#include "core/platform/desktop_windows.h"
#include "core/platform/drive_space.h"
#include "core/platform/process_control.h"
#include "core/platform/system_calls.h"
#include "core/registry/registry_api.h"

#include <QPoint>
#include <QSize>

#include <exception>

#include <filesystem>
#include <functional>
#include <string>

class QWidget;

namespace chrome {

class IdleMonitor;
class PictureStore;

// Shows an error that escaped a handler. The program shows the error box; tests record.
class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    virtual void report(const std::string& message) = 0;
};

// Shows a tool's message in the simple message box (application title, one OK button) and
// returns when the user has closed it. The program shows the box; tests record.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void show(const std::string& text) = 0;
};

// Where the mouse cursor is on the screen; a seam so that tests can drive dragging.
class CursorSource {
public:
    virtual ~CursorSource() = default;
    virtual QPoint position() const = 0;
};

// The size in pixels of the monitor that holds a window; a seam so that tests choose it.
class ScreenSource {
public:
    virtual ~ScreenSource() = default;
    virtual QSize size(const QWidget& window) const = 0;
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
    const CursorSource& cursor;
    const core::Clock& clock;
    const core::DriveSpaceQuery& driveSpace;
    const ScreenSource& screen;
    PictureStore& pictures;
    MessageBoxes& messages;
    // The window list's platform services: the desktop's top-level windows, ending a process.
    core::DesktopWindows& desktop;
    core::ProcessControl& processes;
    // Minimises every window of the program together; set by the window set.
    std::function<void()> minimiseApplication;
    // Tells the watcher timers whether anybody uses the program; set by the window set. Without
    // it every timer runs at its design interval.
    IdleMonitor* idleMonitor = nullptr;
};

// The text of the error box: the message, with "." appended when it is not empty and does
// not end in "." already.
std::string errorBoxText(const std::string& message);

// core::Error shows its message; other kinds show an empty text.
void reportException(ErrorReporter& errors, const std::exception* e) noexcept;

// Runs one of our handlers. Nothing may unwind through Qt's frames, so whatever it throws is
// handed to the reporter here: core::Error with its message, anything else with an empty text.
template <class Handler>
void guarded(ErrorReporter& errors, Handler&& handler) noexcept
{
    try {
        handler();
    } catch (const std::exception& e) {
        reportException(errors, &e);
    } catch (...) {
        reportException(errors, nullptr);
    }
}

} // namespace chrome
