#pragma once

#include "app/services.h"
#include "chrome/window_behaviour.h"

// The restart prompt: asks whether to restart the computer and ends the program either way.
// Its own close button only hides it. The front end shows it modally, "Nie" with the focus.
class TForm10 : public chrome::ClassBehaviour {
public:
    // The window has the buttons "Button1" ("Nie") and "Button2" ("Tak").
    TForm10(ui::Window& window, app::Services services);

private:
    void Button1Click();
    void Button2Click();
    void closeMainWindow();

    ui::Window& m_window;
    app::Services m_services;
};
