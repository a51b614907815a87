// Stores the pixels of the pictures the program shows first, so that it need not decode them
// while it starts: from the JPEG files in PICTURES into PICTURES/pixels/, with pixels.qrc.
//     picture_pixels PICTURES

#include "app/definitions.h"
#include "ui/qt/picture_store.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: picture_pixels PICTURES\n", stderr);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    if (!QDir().mkpath(folder + QStringLiteral("pixels"))) {
        std::fprintf(stderr, "picture_pixels: cannot make %spixels\n", argv[1]);
        return 1;
    }
    QByteArray list = "<RCC>\n  <qresource prefix=\"/pictures\">\n";
    for (const std::string& name : app::firstPictures()) {
        const QString file = QString::fromStdString(name);
        QFile source(folder + file);
        const QImage image = source.open(QIODevice::ReadOnly) ? chrome::decodeJpeg(source.readAll()) : QImage();
        const QString stored = QStringLiteral("pixels/") + file + QStringLiteral(".rgb");
        QFile target(folder + stored);
        if (image.isNull() || !target.open(QIODevice::WriteOnly) || !target.write(chrome::storedPixels(image)) ||
            !target.flush()) {
            std::fprintf(stderr, "picture_pixels: cannot store the pixels of %s\n", name.c_str());
            return 1;
        }
        list += "    <file>" + stored.toUtf8() + "</file>\n";
    }
    list += "  </qresource>\n</RCC>\n";
    QFile qrc(folder + QStringLiteral("pixels.qrc"));
    if (!qrc.open(QIODevice::WriteOnly) || !qrc.write(list) || !qrc.flush()) {
        std::fputs("picture_pixels: cannot write pixels.qrc\n", stderr);
        return 1;
    }
    return 0;
}
