// Draws every window picture of the program from the window definitions and writes them as
// JPEG files, with a resource list for Qt's resource compiler; or draws the program's icon for
// the desktop as <size>.png in each size asked for, and as scalable.svg for "scalable":
//     picture_generator <output folder>
//     picture_generator --icons <output folder> <size>...

#include "app/definitions.h"
#include "chrome/pictures.h"
#include "core/error.h"
#include "painting.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSet>
#include <QTextStream>

#include <cstdio>
#include <cstring>

namespace {

int drawDesktopIcons(const QDir& output, int sizeCount, char** sizes)
{
    for (int i = 0; i < sizeCount; ++i) {
        if (std::strcmp(sizes[i], "scalable") == 0) {
            const QString file = output.filePath(QStringLiteral("scalable.svg"));
            if (!pictures::writeSvgIcon(file)) {
                std::fprintf(stderr, "picture_generator: cannot write %s\n", qPrintable(file));
                return 1;
            }
            continue;
        }
        bool valid = false;
        const int size = QString::fromLatin1(sizes[i]).toInt(&valid);
        if (!valid || size < 1 || size > 1024) {
            std::fprintf(stderr, "picture_generator: %s is not an icon size\n", sizes[i]);
            return 2;
        }
        const QString file = output.filePath(QString::number(size) + QStringLiteral(".png"));
        if (!pictures::drawIcon(size).save(file, "PNG")) {
            std::fprintf(stderr, "picture_generator: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}

int run(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    const bool icons = argc >= 3 && std::strcmp(argv[1], "--icons") == 0;
    if (argc != 2 && !icons) {
        std::fprintf(stderr, "usage: picture_generator <output folder>\n"
                             "       picture_generator --icons <output folder> <size>...\n");
        return 2;
    }
    const char* folder = icons ? argv[2] : argv[1];
    const QDir output(QString::fromLocal8Bit(folder));
    if (!QDir().mkpath(output.path())) {
        std::fprintf(stderr, "picture_generator: cannot create %s\n", folder);
        return 1;
    }
    if (icons)
        return drawDesktopIcons(output, argc - 3, argv + 3);

    QSet<QString> written;
    for (const chrome::WindowDefinition* window : app::skinnedDefinitions()) {
        const QImage background = pictures::drawBackground(*window);
        for (const chrome::Component& component : window->components) {
            if (component.kind != chrome::ComponentKind::Picture)
                continue;
            const QString file = QString::fromStdString(chrome::pictureFile(*window, component));
            if (written.contains(file))
                continue;
            const QImage image = component.picture == chrome::PictureLook::Background
                                     ? background
                                     : pictures::drawComponent(background, component);
            if (!pictures::writeJpeg(image, output.filePath(file))) {
                std::fprintf(stderr, "picture_generator: cannot write %s\n", qPrintable(output.filePath(file)));
                return 1;
            }
            written.insert(file);
        }
    }

    const QString icon = QStringLiteral("icon.jpg");
    if (!pictures::writeJpeg(pictures::drawIcon(64), output.filePath(icon))) {
        std::fprintf(stderr, "picture_generator: cannot write the icon\n");
        return 1;
    }
    written.insert(icon);

    QStringList files(written.begin(), written.end());
    files.sort();
    QFile list(output.filePath(QStringLiteral("pictures.qrc")));
    if (!list.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        std::fprintf(stderr, "picture_generator: cannot write the resource list\n");
        return 1;
    }
    QTextStream out(&list);
    out << "<RCC>\n  <qresource prefix=\"/pictures\">\n";
    for (const QString& file : files)
        out << "    <file>" << file << "</file>\n";
    out << "  </qresource>\n</RCC>\n";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    return core::runMain("picture_generator", [&] { return run(argc, argv); });
}
