#pragma once

#include "chrome/context.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace app {
class WindowSet;
}

// The restart prompt: asks whether to restart the computer and ends the program either way.
// Its own close button only hides it.
class TForm10 : public QDialog {
    Q_OBJECT
public:
    TForm10(chrome::Context& context, app::WindowSet& windows);

    // Shows the prompt modally, "Nie" with the focus.
    void ask();

private:
    void Button1Click();
    void Button2Click();
    void closeMainWindow();

    chrome::Context& m_context;
    app::WindowSet& m_windows;
    QLabel* Label1;
    QPushButton* Button1;
    QPushButton* Button2;
};
