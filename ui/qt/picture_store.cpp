#include "ui/qt/picture_store.h"

#include <QFile>

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

namespace {

// A null image when the file is missing.
std::optional<QImage> readPicture(const QString& path)
{
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        return std::nullopt;
    return decodeJpeg(source.readAll());
}

} // namespace

PictureStore::PictureStore(QString folder) : m_folder(std::move(folder)) {}

void PictureStore::prefetch(std::vector<QString> files)
{
    m_prefetching = std::async(std::launch::async, [folder = m_folder, files = std::move(files)] {
        QHash<QString, QImage> images;
        for (const QString& file : files) {
            if (std::optional<QImage> image = readPicture(folder + file))
                images.insert(file, *image);
        }
        return images;
    });
}

QPixmap PictureStore::pixmap(const QString& file)
{
    auto found = m_pixmaps.constFind(file);
    if (found != m_pixmaps.constEnd())
        return *found;
    if (m_prefetching.valid())
        m_prefetched = m_prefetching.get();
    std::optional<QImage> image;
    if (auto prefetched = m_prefetched.find(file); prefetched != m_prefetched.end()) {
        image = *prefetched;
        m_prefetched.erase(prefetched);
    } else {
        image = readPicture(m_folder + file);
    }
    QPixmap pixmap;
    if (image) {
        pixmap = QPixmap::fromImage(*image);
        ++m_decoded;
    }
    m_pixmaps.insert(file, pixmap);
    return pixmap;
}

} // namespace chrome
