#include "ui/qt/picture_store.h"

#include <QFile>
#include <QResource>

#include <turbojpeg.h>

#include <memory>
#include <optional>

namespace chrome {

QImage decodeJpeg(const QByteArray& data)
{
    std::unique_ptr<void, int (*)(tjhandle)> decoder(tjInitDecompress(), tjDestroy);
    if (!decoder)
        return {};
    auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colourspace = 0;
    if (tjDecompressHeader3(decoder.get(), bytes, static_cast<unsigned long>(data.size()), &width, &height,
                            &subsampling, &colourspace) != 0 ||
        width <= 0 || height <= 0)
        return {};
    // Straight into the layout that pixmaps and masks take, so that it needs no conversion:
    // each pixel one 32-bit word 0xFFRRGGBB.
    constexpr int layout = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? TJPF_BGRX : TJPF_XRGB;
    QImage image(width, height, QImage::Format_RGB32);
    if (tjDecompress2(decoder.get(), bytes, static_cast<unsigned long>(data.size()), image.bits(), width,
                      static_cast<int>(image.bytesPerLine()), height, layout, TJFLAG_ACCURATEDCT) != 0)
        return {};
    return image;
}

QByteArray storedPixels(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    QByteArray stored;
    stored.reserve(4 + qsizetype(rgb.width()) * rgb.height() * 3);
    for (const int size : {rgb.width(), rgb.height()}) {
        stored.append(char(size & 0xFF));
        stored.append(char((size >> 8) & 0xFF));
    }
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            stored.append(char(qRed(line[x])));
            stored.append(char(qGreen(line[x])));
            stored.append(char(qBlue(line[x])));
        }
    }
    return stored;
}

namespace {

// The pixels of a picture stored with the JPEG file, when the program carries them.
std::optional<QImage> readStoredPixels(const QString& folder, const QString& file)
{
    const QResource stored(folder + QStringLiteral("pixels/") + file + QStringLiteral(".rgb"));
    if (!stored.isValid() || stored.compressionAlgorithm() != QResource::NoCompression || stored.size() < 4)
        return std::nullopt;
    const auto* bytes = stored.data();
    const int width = bytes[0] | bytes[1] << 8;
    const int height = bytes[2] | bytes[3] << 8;
    if (stored.size() != 4 + qint64(width) * height * 3)
        return std::nullopt;
    bytes += 4;
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x, bytes += 3)
            line[x] = qRgb(bytes[0], bytes[1], bytes[2]);
    }
    return image;
}

// A null image when the file is missing.
std::optional<QImage> readPicture(const QString& folder, const QString& file)
{
    if (std::optional<QImage> stored = readStoredPixels(folder, file))
        return stored;
    QFile source(folder + file);
    if (!source.open(QIODevice::ReadOnly))
        return std::nullopt;
    return decodeJpeg(source.readAll());
}

} // namespace

PictureStore::PictureStore(QString folder) : m_folder(std::move(folder)) {}

QPixmap PictureStore::pixmap(const QString& file)
{
    auto found = m_pixmaps.constFind(file);
    if (found != m_pixmaps.constEnd())
        return *found;
    const std::optional<QImage> image = readPicture(m_folder, file);
    QPixmap pixmap;
    if (image) {
        pixmap = QPixmap::fromImage(*image);
        ++m_decoded;
    }
    m_pixmaps.insert(file, pixmap);
    return pixmap;
}

} // namespace chrome
