#pragma once

#include "chrome/definition.h"
#include "chrome/errors.h"
#include "chrome/window_behaviour.h"
#include "ui/parts.h"

#include "core/io/drive_files.h"
#include "core/platform/desktop_windows.h"
#include "core/platform/process_control.h"
#include "core/platform/system_calls.h"
#include "core/registry/registry_api.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

namespace chrome {

// What a section window's behaviour reaches outside its window.
struct SectionServices {
    core::RegistryApi& registry;
    std::filesystem::path settingsPath;
    core::SystemCalls& systemCalls;
    ErrorReporter& errors;
    MessageBoxes& messageBoxes;
    // The window list's platform: the desktop's top-level windows, ending a process.
    core::DesktopWindows& desktop;
    core::ProcessControl& processes;
    // Drive C:, which the windows' Windows paths name; none leaves such paths unfound.
    const core::DriveFiles* drive = nullptr;
    // Shows another window of the program by its class name ("TForm9") without reading its
    // settings, and brings it forward.
    std::function<void(std::string_view className)> showWindow;
};

// What a section window does, on whatever front end shows it: the opening sequence with the
// appearance kept in its section of the settings file, comments mode, and the close handler that
// keeps the appearance again.
class SectionBehaviour : public ClassBehaviour {
public:
    SectionBehaviour(ui::Window& window, const WindowDefinition& definition, std::filesystem::path settingsPath,
                     core::SystemCalls& calls, ErrorReporter& errors);
    SectionBehaviour(ui::Window& window, const WindowDefinition& definition, const SectionServices& services);
    ~SectionBehaviour() override = default;

    // The main menu's opening sequence: read the window's settings, apply transparency, put the
    // comments state into the comments label, start the matching comments timer, show the
    // window without modality (an open window is brought forward).
    void openingSequence();
    // The close handler: writes the window's three settings, in this order: transparency flag,
    // alpha value, comments. A refused write keeps the window open. True when it may close.
    bool close();

    bool alphaBlend() const { return m_alphaBlend; }
    std::uint8_t alphaValue() const { return m_alphaValue; }
    // Transparency as the settings file gives it: on or off, and the alpha value 0..255.
    void setAlpha(bool blend, std::uint8_t value);

    ui::Label& commentsLabel() const;
    ui::Timer& commentsOnTimer() const;
    ui::Timer& commentsOffTimer() const;

    // Whether the arrow beside the chosen switch may show now; without it, it always may. (A
    // window whose switches share a page with other text shows the arrow only on their page.)
    std::function<bool()> arrowsShown;
    // The comments timers' work; each timer stops itself.
    void commentsOn();
    void commentsOff();
    void setHintsShown(bool shown);
    void assignHints();

protected:
    ui::Window& window() const { return m_window; }
    const WindowDefinition& definition() const { return m_definition; }
    // A handler of the window's class, run under the error guard.
    std::function<void()> guard(std::function<void()> handler) const
    {
        return [this, handler = std::move(handler)] { guarded(m_errors, handler); };
    }

private:
    const CommentsRoles& roles() const { return *m_definition.comments; }

    ui::Window& m_window;
    const WindowDefinition& m_definition;
    std::filesystem::path m_settingsPath;
    core::SystemCalls& m_calls;
    ErrorReporter& m_errors;
    bool m_alphaBlend = false;
    std::uint8_t m_alphaValue = 255;
};

} // namespace chrome
