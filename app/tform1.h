#pragma once

#include "app/services.h"
#include "chrome/definition.h"
#include "chrome/window_behaviour.h"

#include <cstdint>
#include <functional>
#include <string>

// The main window: the section menu, the information bar, the user's name and the first-run
// panel. Closing it writes its records to the settings file and ends the program; its close
// target asks first whether to restart the computer.
class TForm1 : public chrome::ClassBehaviour {
public:
    // After the window's shared behaviour, whose close target it takes over.
    TForm1(ui::Window& window, const chrome::WindowDefinition& definition, app::Services services);

    bool alphaBlend() const { return m_alphaBlend; }
    std::uint8_t alphaValue() const { return m_alphaValue; }
    bool autoSize() const { return m_autoSize; }

    // The information refresh, every 100 ms: date and time, free space on C:, resolution.
    void Timer37Timer();

private:
    void handle(const std::function<void()>& handler) const { chrome::guarded(m_services.errors, handler); }
    ui::Label& label(const std::string& name) const;
    void readAppearance();
    void FormCreate();
    void Button2Click();
    void Button3Click();
    void showFirstRunPanel(bool shown);
    // The close handler: true when every record was written and the window may close.
    bool FormClose();

    ui::Window& m_window;
    app::Services m_services;
    bool m_alphaBlend = false;
    std::uint8_t m_alphaValue = 255;
    bool m_autoSize = false;
};
