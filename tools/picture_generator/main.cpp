// Draws every window picture of the program from the window definitions and writes them as
// JPEG files, with a resource list for Qt's resource compiler:
//     picture_generator <output folder>

#include "app/definitions.h"
#include "chrome/pictures.h"
#include "painting.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSet>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: picture_generator <output folder>\n");
        return 2;
    }
    const QDir output(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(output.path())) {
        std::fprintf(stderr, "picture_generator: cannot create %s\n", argv[1]);
        return 1;
    }

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
