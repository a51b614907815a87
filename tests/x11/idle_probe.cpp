// A window on the X display with the program's idle monitor, a spell of 200 ms: prints "idle"
// when the monitor finds nobody using it and "awake" when input comes, so that a test can send
// real input through the X server and see the monitor notice it.
//     idle_probe        (ends by itself after 30 s)

#include "ui/qt/idle_monitor.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setWindowTitle(QStringLiteral("idle_probe"));
    window.setGeometry(0, 0, 200, 200);
    window.show();

    using namespace std::chrono_literals;
    chrome::IdleMonitor monitor(chrome::IdlePace{200ms, 500ms, {}});
    QObject::connect(&monitor, &chrome::IdleMonitor::paceChanged, [&] {
        std::printf("%s\n", monitor.idle() ? "idle" : "awake");
        std::fflush(stdout);
    });
    QTimer::singleShot(30s, &application, &QApplication::quit);
    return QApplication::exec();
}
