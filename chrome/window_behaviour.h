#pragma once

#include "chrome/definition.h"
#include "chrome/errors.h"
#include "chrome/option_state.h"
#include "ui/parts.h"

#include "core/registry/registry_api.h"

#include <functional>
#include <memory>
#include <string>

namespace chrome {

// Runs what one option click does: its command lines through `shell`, one after the other, or
// its steps on one short-lived registry object (created, root set, the key opened with or
// without creating it, the steps in order, freed on every path). The result of the open is not
// looked at: a key that did not open makes the first write fail with the registry's error,
// which leaves this function and skips the remaining steps; deletes of what is not there fail
// silently.
void runOption(const Action& action, core::RegistryApi& registry, const std::function<void(const std::string&)>& shell);

// What a window's own class does beyond what every window does; the front end keeps it as long
// as the window.
class ClassBehaviour {
public:
    ClassBehaviour() = default;
    ClassBehaviour(const ClassBehaviour&) = delete;
    ClassBehaviour& operator=(const ClassBehaviour&) = delete;
    virtual ~ClassBehaviour() = default;
};

// What every skinned window does, on whatever front end shows it: its minimise and close
// targets, its option rows, and on windows without comments mode the hints, on from the start.
// With the option state shown, it marks each option's current choice whenever the window is
// shown and after each option click.
class WindowBehaviour {
public:
    struct Services {
        core::RegistryApi& registry;
        // Runs one command line through the machine's command interpreter and waits for it.
        std::function<void(const std::string&)> shell;
        ErrorReporter& errors;
        // Minimises every window of the program together.
        std::function<void()> minimiseApplication;
        // The settings file's switch: mark the choice the machine is set to. Off, the registry
        // is never read for it and no target is marked.
        bool showOptionState = false;
    };

    WindowBehaviour(ui::Window& window, const WindowDefinition& definition, Services services);

    // What the close target does; closing the window unless set otherwise.
    std::function<void()> closeClicked;

    // Reads the options' state and marks the current choices; nothing with the state not shown.
    void refreshMarks();

private:
    ui::Window& m_window;
    Services m_services;
    std::unique_ptr<OptionState> m_state;
};

} // namespace chrome
