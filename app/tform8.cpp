#include "app/tform8.h"

#include "app/tform1.h"
#include "app/window_set.h"

namespace {
constexpr int kNameRefresh = 20000;
}

TForm8::TForm8(chrome::Context& context, const chrome::WindowDefinition& definition, app::WindowSet& windows)
    : chrome::SkinnedWindow(context, definition)
    , m_windows(windows)
{
    connect(timer("Timer1"), &chrome::DesignTimer::timeout, this, [this] { handle([this] { Timer1Timer(); }); });
    handle([this] { setLabelText("Label12", m_windows.main().label("Label2")->text()); });
}

void TForm8::Timer1Timer()
{
    // The user's name may change on the main window; it is copied a second after start and
    // then every 20 seconds.
    setLabelText("Label19", m_windows.main().label("Label21")->text());
    timer("Timer1")->setInterval(kNameRefresh);
}
