#include "app/tform8.h"

#include <utility>

namespace {
constexpr int kNameRefresh = 20000;
}

TForm8::TForm8(ui::Window& window, app::Services services) : m_window(window), m_services(std::move(services))
{
    m_window.timer("Timer1")->onTick = [this] { chrome::guarded(m_services.errors, [this] { Timer1Timer(); }); };
    chrome::guarded(m_services.errors, [this] { m_window.label("Label12")->setText(mainText("Label2")); });
}

std::string TForm8::mainText(const std::string& label) const
{
    ui::Window* main = m_services.window("TForm1");
    ui::Label* found = main ? main->label(label) : nullptr;
    return found ? found->text() : std::string();
}

void TForm8::Timer1Timer()
{
    // The user's name may change on the main window; it is copied a second after start and
    // then every 20 seconds.
    m_window.label("Label19")->setText(mainText("Label21"));
    m_window.timer("Timer1")->setInterval(kNameRefresh);
}
