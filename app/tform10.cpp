#include "app/tform10.h"

#include <utility>

TForm10::TForm10(ui::Window& window, app::Services services) : m_window(window), m_services(std::move(services))
{
    m_window.find<ui::Button>("Button1")->onClick = [this] {
        chrome::guarded(m_services.errors, [this] { Button1Click(); });
    };
    m_window.find<ui::Button>("Button2")->onClick = [this] {
        chrome::guarded(m_services.errors, [this] { Button2Click(); });
    };
}

void TForm10::Button1Click()
{
    closeMainWindow();
}

void TForm10::Button2Click()
{
    // The restart command returns first; only then does the program end.
    m_services.shell("shutdown -r -t 0");
    closeMainWindow();
}

void TForm10::closeMainWindow()
{
    // A main window that cannot write its settings stays, and so does the prompt.
    ui::Window* main = m_services.window("TForm1");
    if (!main)
        return;
    main->close();
    if (!main->isVisible())
        m_window.setVisible(false);
}
