#pragma once

#include "chrome/section_behaviour.h"

// The System section window: its options, and below them the list of the desktop's top-level
// windows with the process of each, which it refills on demand or every 1 to 9 seconds, and
// whose selected process it ends.
class TForm2 : public chrome::SectionBehaviour {
public:
    TForm2(ui::Window& window, const chrome::WindowDefinition& definition, const chrome::SectionServices& services);

    // "Odśwież": the list anew from the desktop's windows.
    void Button1Click();

private:
    void Button2Click();
    void Button3Click();
    void Label4Click();
    void Label5Click();
    void Timer2Timer();

    core::DesktopWindows& m_desktop;
    core::ProcessControl& m_processes;
    ui::MessageBoxes& m_messageBoxes;
    ui::Label* Label7;
    ui::Label* Label9;
    ui::Timer* Timer1;
    ui::Timer* Timer2;
    ui::SpinEdit* CSpinEdit1;
    ui::ListBox* ListBox1;
};
