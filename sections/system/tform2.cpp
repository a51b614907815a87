#include "sections/system/tform2.h"

#include "sections/system/window_list.h"

#include <string>
#include <vector>

TForm2::TForm2(ui::Window& window, const chrome::WindowDefinition& definition, const chrome::SectionServices& services)
    : chrome::SectionBehaviour(window, definition, services)
    , m_desktop(services.desktop)
    , m_processes(services.processes)
    , m_messageBoxes(services.messageBoxes)
    , Label7(window.label("Label7"))
    , Label9(window.label("Label9"))
    , Timer1(window.timer("Timer1"))
    , Timer2(window.timer("Timer2"))
    , CSpinEdit1(window.find<ui::SpinEdit>("CSpinEdit1"))
    , ListBox1(window.find<ui::ListBox>("ListBox1"))
{
    window.find<ui::Button>("Button1")->onClick = guard([this] { Button1Click(); });
    window.find<ui::Button>("Button2")->onClick = guard([this] { Button2Click(); });
    window.find<ui::Button>("Button3")->onClick = guard([this] { Button3Click(); });
    window.label("Label4")->onClick = guard([this] { Label4Click(); });
    window.label("Label5")->onClick = guard([this] { Label5Click(); });
    // Timer1Timer is a click of "Odśwież".
    Timer1->onTick = guard([this] { Button1Click(); });
    Timer2->onTick = guard([this] { Timer2Timer(); });

    // FormCreate: the first fill, with the automatic refresh off.
    guard([this] {
        Button1Click();
        Label9->show();
    })();
}

void TForm2::Button1Click()
{
    ListBox1->setLines({});
    std::vector<std::string> lines;
    for (const core::TopLevelWindow& window : m_desktop.topLevelWindows())
        lines.push_back(sections::windowListLine(window));
    sections::sortWindowList(lines);
    ListBox1->setLines(lines);
}

void TForm2::Button2Click()
{
    ListBox1->setLines({});
}

void TForm2::Button3Click()
{
    const int selected = ListBox1->selection();
    if (selected < 0) {
        m_messageBoxes.message("Nie zaznaczono procesu");
        return;
    }
    // The line stays until the next refill, whatever became of its process.
    const std::string line = ListBox1->lines().at(static_cast<std::size_t>(selected));
    switch (m_processes.end(sections::processIdOfLine(line))) {
    case core::EndProcess::Ended: m_messageBoxes.message("Proces zamknięty."); break;
    case core::EndProcess::NotOpened: m_messageBoxes.message("Nie można otworzyć procesu."); break;
    case core::EndProcess::NotEnded: m_messageBoxes.message("Nie można zamknąć procesu."); break;
    }
}

void TForm2::Label4Click()
{
    Label9->hide();
    Label7->show();
}

void TForm2::Label5Click()
{
    Label7->hide();
    Label9->show();
}

void TForm2::Timer2Timer()
{
    if (Label7->isVisible()) {
        Timer1->start();
        // A value outside the range, typed and not yet put back, leaves the period as it was.
        const int seconds = CSpinEdit1->value();
        if (seconds >= 1 && seconds <= 9)
            Timer1->setInterval(seconds * 1000);
    }
    if (Label9->isVisible())
        Timer1->stop();
}
