#pragma once

#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QString>

namespace chrome {

// Decodes a JPEG held in memory; a null image when the data is not a JPEG it can read.
QImage decodeJpeg(const QByteArray& data);

// A picture's pixels as the program stores them beside its JPEG file (under "pixels/", the
// file's name with ".rgb"), so that it need not decode it: width and height in two bytes
// each, low byte first, then red, green and blue of each pixel, row by row.
QByteArray storedPixels(const QImage& image);

// The window pictures, embedded in the program as JPEG files under ":/pictures/", the first
// window's also as stored pixels. Each distinct picture is decoded once per run, the first
// time a window asks for it.
class PictureStore {
public:
    explicit PictureStore(QString folder = QStringLiteral(":/pictures/"));

    // A null pixmap when the picture is missing.
    QPixmap pixmap(const QString& file);
    int decodedCount() const { return m_decoded; }

private:
    QString m_folder;
    QHash<QString, QPixmap> m_pixmaps;
    int m_decoded = 0;
};

} // namespace chrome
