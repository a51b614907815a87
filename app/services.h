#pragma once

#include "chrome/context.h"

#include "core/platform/clock.h"
#include "core/platform/drive_space.h"
#include "core/platform/system_calls.h"
#include "core/registry/registry_api.h"
#include "ui/parts.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace app {

// What the main window, the About window and the restart prompt reach outside themselves, on
// whatever front end shows them.
struct Services {
    core::RegistryApi& registry;
    std::filesystem::path settingsPath;
    core::SystemCalls& systemCalls;
    // Runs one command line through the machine's command interpreter and waits for it.
    std::function<void(const std::string& commandLine)> shell;
    chrome::ErrorReporter& errors;
    const core::Clock& clock;
    const core::DriveSpaceQuery& driveSpace;
    const chrome::ScreenSource& screen;
    // Another window of the program by its class name ("TForm10"), null when there is none.
    std::function<ui::Window*(std::string_view className)> window;
    // Opens a window as the main menu does: a section window with its opening sequence, any
    // other as it is.
    std::function<void(std::string_view className)> open;
};

} // namespace app
