// Saves a picture of the whole X screen as PNG, optionally cut to a rectangle:
//     screenshot <file.png> [x y width height]
// Used for the README's screenshots, taken under Xvfb.

#include "core/error.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>
#include <cstdlib>

namespace {

int run(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 2 && argc != 6) {
        std::fprintf(stderr, "usage: screenshot <file.png> [x y width height]\n");
        return 2;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fprintf(stderr, "screenshot: no screen\n");
        return 1;
    }
    QPixmap picture = screen->grabWindow(0);
    if (argc == 6)
        picture = picture.copy(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
    if (!picture.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    return core::runMain("screenshot", [&] { return run(argc, argv); });
}
