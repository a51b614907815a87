#pragma once

#include "app/services.h"
#include "chrome/window_behaviour.h"

// The About window: product title, version, last update, the user's name and the author.
class TForm8 : public chrome::ClassBehaviour {
public:
    TForm8(ui::Window& window, app::Services services);

private:
    void Timer1Timer();
    // A label of the main window, which is made first.
    std::string mainText(const std::string& label) const;

    ui::Window& m_window;
    app::Services m_services;
};
