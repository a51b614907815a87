#pragma once

#include "chrome/context.h"

#include <QPointer>
#include <QWidget>

#include <memory>

namespace app {

// The program's error box: a stop icon, the application title as caption, one OK button. It
// opens on the screen of the main window once there is one.
class ErrorBox : public chrome::ErrorReporter {
public:
    void report(const std::string& message) override;
    void setMainWindow(QWidget* main) { m_main = main; }

private:
    QPointer<QWidget> m_main;
};

// The tools' message boxes, shown modally on the screen of the main window.
class HostMessageBoxes : public chrome::MessageBoxes {
public:
    void message(const std::string& text) override;
    bool askYesNo(const std::string& title, const std::string& text) override;
    void setMainWindow(QWidget* main) { m_main = main; }

private:
    QPointer<QWidget> m_main;
};

// The desktop the program shows its windows on: the X server's top-level windows when it runs
// on X, else none (offscreen, Wayland without X).
std::unique_ptr<core::DesktopWindows> hostDesktop();

// The mouse cursor of the window system.
class HostCursor : public chrome::CursorSource {
public:
    ui::Point position() const override;
};

// The monitor that holds the window, as the window system tells it.
class HostScreen : public chrome::ScreenSource {
public:
    ui::Size size(const ui::Window& window) const override;
};

// Makes the embedded window pictures available under ":/pictures/".
void initPictures();
// "MS Sans Serif" is drawn with a font that has the Polish letters.
void installFonts();

// Start-up: the application object and its title, the machine with its registry, the
// thirteen windows, the message loop until the main window closes. Returns the exit code.
int run(int argc, char** argv);

} // namespace app
