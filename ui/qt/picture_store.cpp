#include "ui/qt/picture_store.h"

#include <QFile>

#include <turbojpeg.h>

#include <memory>

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

PictureStore::PictureStore(QString folder) : m_folder(std::move(folder)) {}

QPixmap PictureStore::pixmap(const QString& file)
{
    auto found = m_pixmaps.constFind(file);
    if (found != m_pixmaps.constEnd())
        return *found;
    QPixmap pixmap;
    QFile source(m_folder + file);
    if (source.open(QIODevice::ReadOnly)) {
        pixmap = QPixmap::fromImage(decodeJpeg(source.readAll()));
        ++m_decoded;
    }
    m_pixmaps.insert(file, pixmap);
    return pixmap;
}

} // namespace chrome
