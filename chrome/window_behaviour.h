#pragma once

#include "chrome/definition.h"
#include "chrome/errors.h"
#include "ui/parts.h"

#include "core/registry/registry_api.h"

#include <functional>
#include <string>

namespace chrome {

// Runs what one option click does: its command lines through `shell`, one after the other, or
// its steps on one short-lived registry object (created, root set, the key opened with or
// without creating it, the steps in order, freed on every path). The result of the open is not
// looked at: a key that did not open makes the first write fail with the registry's error,
// which leaves this function and skips the remaining steps; deletes of what is not there fail
// silently.
void runOption(const Action& action, core::RegistryApi& registry, const std::function<void(const std::string&)>& shell);

// What every skinned window does, on whatever front end shows it: its minimise and close
// targets, its option rows, and on windows without comments mode the hints, on from the start.
class WindowBehaviour {
public:
    struct Services {
        core::RegistryApi& registry;
        // Runs one command line through the machine's command interpreter and waits for it.
        std::function<void(const std::string&)> shell;
        ErrorReporter& errors;
        // Minimises every window of the program together.
        std::function<void()> minimiseApplication;
    };

    WindowBehaviour(ui::Window& window, const WindowDefinition& definition, Services services);

    // What the close target does; closing the window unless set otherwise.
    std::function<void()> closeClicked;

private:
    ui::Window& m_window;
    Services m_services;
};

} // namespace chrome
