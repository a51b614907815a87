#include "sections/removal/picture_files.h"

#include "chrome/picture_store.h"
#include "core/error.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/gd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace removal {

namespace {

// Wallpapers are a few megabytes; anything far larger is no picture worth reading whole.
constexpr qint64 kLargestFile = 256 * 1024 * 1024;
// A metafile names its own size; a forged one must not make us draw gigabytes.
constexpr int kLargestSide = 4096;

QSize withinLimits(QSize size)
{
    if (size.width() > kLargestSide || size.height() > kLargestSide)
        size.scale(kLargestSide, kLargestSide, Qt::KeepAspectRatio);
    return size;
}

QImage decodeBitmap(const QByteArray& data)
{
    return QImage::fromData(data, "BMP");
}

QImage decodeIcon(const QByteArray& data)
{
    return QImage::fromData(data, "ICO");
}

QImage decodeJpeg(const QByteArray& data)
{
    return chrome::decodeJpeg(data);
}

// Enhanced metafiles become SVG, which Qt draws.
QImage decodeEnhancedMetafile(const QByteArray& data)
{
    generatorOptions options{};
    char svgNamespace[] = "";
    options.nameSpace = svgNamespace;
    options.svgDelimiter = true;
    options.emfplus = true;
    QByteArray input = data;
    char* svg = nullptr;
    std::size_t svgLength = 0;
    const int converted = emf2svg(input.data(), static_cast<std::size_t>(input.size()), &svg, &svgLength, &options);
    const std::unique_ptr<char, void (*)(void*)> release(svg, std::free);
    if (converted != 1 || !svg)
        return {};
    QSvgRenderer renderer(QByteArray(svg, static_cast<qsizetype>(svgLength)));
    const QSize size = withinLimits(renderer.defaultSize());
    if (!renderer.isValid() || size.isEmpty())
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

// Windows metafiles are played by libwmf into an image of its own.
QImage decodeWindowsMetafile(const QByteArray& data)
{
    wmfAPI* created = nullptr;
    wmfAPI_Options options{};
    options.function = wmf_gd_function;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    const wmf_error_t status = wmf_api_create(&created, flags, &options);
    const std::unique_ptr<wmfAPI, wmf_error_t (*)(wmfAPI*)> api(created, wmf_api_destroy);
    if (status != wmf_E_None || !api)
        return {};

    QByteArray input = data;
    if (wmf_mem_open(api.get(), reinterpret_cast<unsigned char*>(input.data()), static_cast<long>(input.size()))
        != wmf_E_None)
        return {};
    QImage image;
    wmfD_Rect bounds{};
    unsigned int width = 0;
    unsigned int height = 0;
    if (wmf_scan(api.get(), 0, &bounds) == wmf_E_None
        && wmf_display_size(api.get(), &width, &height, 96, 96) == wmf_E_None && width > 0 && height > 0) {
        const QSize size = withinLimits(
            QSize(static_cast<int>(std::min(width, 65535u)), static_cast<int>(std::min(height, 65535u))));
        wmf_gd_t* device = WMF_GD_GetData(api.get());
        device->type = wmf_gd_image;
        device->bbox = bounds;
        device->width = static_cast<unsigned int>(size.width());
        device->height = static_cast<unsigned int>(size.height());
        const int* pixels = nullptr;
        if (wmf_play(api.get(), 0, &bounds) == wmf_E_None && device->gd_image)
            pixels = wmf_gd_image_pixels(device->gd_image);
        if (pixels)
            image = QImage(size, QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                // gd's true colour: 7 bits of transparency (127 = clear) over 8-bit red, green, blue.
                const auto pixel = static_cast<unsigned int>(*pixels++);
                const auto clear = static_cast<int>((pixel >> 24) & 0x7F);
                line[x] = qRgba(static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF),
                                static_cast<int>(pixel & 0xFF), (127 - clear) * 255 / 127);
            }
        }
    }
    wmf_mem_close(api.get());
    return image;
}

struct Format {
    const char* extension;
    const char* name;
    PictureDecoder decode;
};

constexpr Format kFormats[] = {
    {"bmp", "Windows bitmap", decodeBitmap},         {"ico", "icon", decodeIcon},
    {"wmf", "Windows metafile", decodeWindowsMetafile}, {"emf", "enhanced metafile", decodeEnhancedMetafile},
    {"jpg", "JPEG", decodeJpeg},                     {"jpeg", "JPEG", decodeJpeg},
};

const Format* formatFor(const QString& extension)
{
    for (const Format& format : kFormats) {
        if (extension.compare(QLatin1String(format.extension), Qt::CaseInsensitive) == 0)
            return &format;
    }
    return nullptr;
}

[[noreturn]] void fail(const QString& message)
{
    throw core::Error(message.toStdString());
}

// The format that a file's extension names; throws for an extension of no picture format.
const Format& formatOf(const QString& name)
{
    const QString extension = QString::fromStdString(std::filesystem::path(name.toStdString()).extension().string()).mid(1);
    const Format* format = formatFor(extension);
    if (!format)
        fail(QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
    return *format;
}

QImage decodeAs(const Format& format, const QString& name, const QByteArray& data)
{
    QImage image = format.decode(data);
    if (image.isNull())
        fail(QStringLiteral("The file %1 is not a valid %2 picture").arg(name, QLatin1String(format.name)));
    return image;
}

} // namespace

PictureDecoder decoderFor(const QString& extension)
{
    const Format* format = formatFor(extension);
    return format ? format->decode : nullptr;
}

QImage loadPictureFile(const std::filesystem::path& file)
{
    const QString path = QString::fromStdString(file.string());
    const QString name = QString::fromStdString(file.filename().string());
    const Format* format = &formatOf(name);

    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Cannot read the picture file %1: %2").arg(name, source.errorString()));
    if (source.size() > kLargestFile)
        fail(QStringLiteral("The picture file %1 is too large to show").arg(name));
    const QByteArray data = source.readAll();
    if (source.error() != QFileDevice::NoError)
        fail(QStringLiteral("Cannot read the picture file %1: %2").arg(name, source.errorString()));
    return decodeAs(*format, name, data);
}

QImage loadPictureFile(const core::Drive& drive, const core::DrivePath& file)
{
    const QString name = file.empty() ? QString() : QString::fromStdString(file.back());
    const Format& format = formatOf(name);
    std::string data;
    if (const int error = drive.readFile(file, data, static_cast<std::size_t>(kLargestFile))) {
        if (error == EFBIG)
            fail(QStringLiteral("The picture file %1 is too large to show").arg(name));
        fail(QStringLiteral("Cannot read the picture file %1: %2").arg(name, QString::fromLocal8Bit(std::strerror(error))));
    }
    return decodeAs(format, name, QByteArray(data.data(), static_cast<qsizetype>(data.size())));
}

} // namespace removal
