#pragma once

#include "ui/qt/application.h"
#include "ui/qt/window_set.h"
#include "chrome/context.h"
#include "ui/qt/picture_store.h"

#include "core/machine/machine.h"
#include "core/platform/clock.h"
#include "core/platform/drive_space.h"
#include "core/platform/process_control.h"
#include "core/registry/wine_registry.h"

#include <filesystem>
#include <memory>
#include <string>

// The program's windows as a benchmark builds them: on a fresh machine and settings file in a
// temporary folder (removed at the end), with the host's cursor, clock, screen and drive C:, a
// shell and message boxes that do nothing (questions are answered No), and the errors counted. Needs the application
// object.
class BenchProgram {
public:
    BenchProgram(const std::string& name, core::DesktopWindows& desktop);
    // The same on a machine holding the system.reg and user.reg of `hives` (none: the fresh
    // machine's), with the options' current choices marked or not.
    BenchProgram(const std::string& name, core::DesktopWindows& desktop, const std::filesystem::path& hives,
                 bool showOptionState);
    ~BenchProgram();
    BenchProgram(const BenchProgram&) = delete;
    BenchProgram& operator=(const BenchProgram&) = delete;

    app::WindowSet& windows() { return *m_windows; }
    int errorCount() const { return m_errors.count; }
    const std::string& lastError() const { return m_errors.last; }

private:
    class CountingReporter : public chrome::ErrorReporter {
    public:
        void report(const std::string& message) override
        {
            ++count;
            last = message;
        }
        int count = 0;
        std::string last;
    };
    class SilentMessages : public chrome::MessageBoxes {
    public:
        void message(const std::string&) override {}
        bool askYesNo(const std::string&, const std::string&) override { return false; }
    };

    std::filesystem::path m_folder;
    core::Machine m_machine;
    core::WineRegistry m_registry;
    chrome::PictureStore m_pictures;
    CountingReporter m_errors;
    app::HostCursor m_cursor;
    core::HostClock m_clock;
    core::StatvfsDriveSpace m_driveSpace;
    app::HostScreen m_screen;
    SilentMessages m_messages;
    core::PosixProcessControl m_processes;
    std::unique_ptr<chrome::Context> m_context;
    std::unique_ptr<app::WindowSet> m_windows;
};
