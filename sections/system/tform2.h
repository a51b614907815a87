#pragma once

#include "chrome/section_window.h"

class QListWidget;
class QPushButton;
class SpinEdit;

// The System section window: its options, and below them the list of the desktop's top-level
// windows with the process of each, which it refills on demand or every 1 to 9 seconds, and
// whose selected process it ends.
class TForm2 : public chrome::SectionWindow {
    Q_OBJECT
public:
    TForm2(chrome::Context& context, const chrome::WindowDefinition& definition);

    // "Odśwież": the list anew from the desktop's windows.
    void Button1Click();

private:
    QPushButton* addButton(const char* name, const QString& text, const QRect& place);
    void Button2Click();
    void Button3Click();
    void Label4Click();
    void Label5Click();
    void Timer2Timer();

    chrome::SkinLabel* Label7;
    chrome::SkinLabel* Label9;
    chrome::DesignTimer* Timer1;
    chrome::DesignTimer* Timer2;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    SpinEdit* CSpinEdit1;
    QListWidget* ListBox1;
};
