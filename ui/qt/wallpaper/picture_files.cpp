#include "ui/qt/wallpaper/picture_files.h"

#include "ui/qt/picture_store.h"
#include "core/error.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/font.h>
#include <libwmf/gd.h>
#include <libwmf/ipa.h>
#include <turbojpeg.h>

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
// A few bytes of JPEG or bitmap header can declare any size. An 8K wallpaper has 33 million
// pixels; beyond this a picture is refused before any pixel memory is taken.
constexpr qint64 kLargestPixelCount = 40'000'000;

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

// The size a picture's header declares, read without decoding it; invalid when the header says none.
QSize sizeFromQtHeader(const QByteArray& data, const char* format)
{
    QBuffer buffer;
    buffer.setData(data);
    QImageReader reader(&buffer, format);
    return reader.size();
}

QSize bitmapSize(const QByteArray& data)
{
    return sizeFromQtHeader(data, "BMP");
}

QSize iconSize(const QByteArray& data)
{
    return sizeFromQtHeader(data, "ICO");
}

QSize jpegSize(const QByteArray& data)
{
    std::unique_ptr<void, int (*)(tjhandle)> decoder(tjInitDecompress(), tjDestroy);
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colourspace = 0;
    if (!decoder ||
        tjDecompressHeader3(decoder.get(), reinterpret_cast<const unsigned char*>(data.constData()),
                            static_cast<unsigned long>(data.size()), &width, &height, &subsampling, &colourspace) != 0)
        return {};
    return {width, height};
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

// A placeable metafile of 100 x 80 units filled red, which any working libwmf can play.
QByteArray knownGoodMetafile()
{
    QByteArray bytes;
    const auto u16 = [&bytes](unsigned value) { bytes.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF)); };
    const auto u32 = [&u16](unsigned value) { u16(value & 0xFFFF), u16(value >> 16); };
    u32(0x9AC6CDD7), u16(0), u16(0), u16(0), u16(100), u16(80), u16(96), u32(0);
    unsigned checksum = 0;
    for (qsizetype i = 0; i < bytes.size(); i += 2)
        checksum ^= unsigned(std::uint8_t(bytes[i])) | unsigned(std::uint8_t(bytes[i + 1])) << 8;
    u16(checksum);
    u16(1), u16(9), u16(0x0300), u32(40), u16(1), u32(7), u16(0);
    u32(5), u16(0x020B), u16(0), u16(0);                    // window origin
    u32(5), u16(0x020C), u16(80), u16(100);                 // window extent
    u32(7), u16(0x02FC), u16(0), u32(0x0000FF), u16(0);     // red solid brush
    u32(4), u16(0x012D), u16(0);                            // select it
    u32(7), u16(0x041B), u16(80), u16(100), u16(0), u16(0); // rectangle
    u32(3), u16(0);                                         // end
    return bytes;
}

using MetafileApi = std::unique_ptr<wmfAPI, wmf_error_t (*)(wmfAPI*)>;

MetafileApi openMetafileLibrary()
{
    wmfAPI* created = nullptr;
    wmfAPI_Options options{};
    options.function = wmf_gd_function;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    const wmf_error_t status = wmf_api_create(&created, flags, &options);
    MetafileApi api(created, wmf_api_destroy);
    if (status != wmf_E_None)
        api.reset();
    return api;
}

// libwmf loads its fonts on the first scan and, when it finds none (they come in a package of
// their own), fails every metafile as if the file were bad. A metafile that any working libwmf
// reads tells the two apart. Empty when the library works; else why it cannot, naming where it
// looked for its fonts.
std::string metafileLibraryProblem()
{
    const MetafileApi api = openMetafileLibrary();
    if (!api)
        return "it could not be set up";
    QByteArray probe = knownGoodMetafile();
    if (wmf_mem_open(api.get(), reinterpret_cast<unsigned char*>(probe.data()), static_cast<long>(probe.size())) !=
        wmf_E_None)
        return "it could not open a metafile in memory";
    wmfD_Rect bounds{};
    const bool works = wmf_scan(api.get(), 0, &bounds) == wmf_E_None;
    wmf_mem_close(api.get());
    if (works)
        return {};
    std::string reason = "it could not load any of its fonts";
    const auto* fontData = static_cast<const wmfFontData*>(api->font_data);
    const auto* fonts = fontData ? static_cast<const wmfFontmapData*>(fontData->user_data) : nullptr;
    if (fonts && fonts->fontdirs && fonts->fontdirs[0]) {
        reason += " from";
        for (char** folder = fonts->fontdirs; *folder; ++folder)
            reason += std::string(folder == fonts->fontdirs ? " " : ", ") + *folder;
    }
    return reason;
}

[[noreturn]] void failMetafileLibrary(const std::string& reason)
{
    throw core::Error("The Windows metafile picture library (libwmf) could not start: " + reason);
}

// Windows metafiles are played by libwmf into an image of its own.
QImage decodeWindowsMetafile(const QByteArray& data)
{
    const MetafileApi api = openMetafileLibrary();
    if (!api)
        failMetafileLibrary("it could not be set up");

    QByteArray input = data;
    if (wmf_mem_open(api.get(), reinterpret_cast<unsigned char*>(input.data()), static_cast<long>(input.size())) !=
        wmf_E_None)
        return {};
    QImage image;
    wmfD_Rect bounds{};
    unsigned int width = 0;
    unsigned int height = 0;
    if (wmf_scan(api.get(), 0, &bounds) == wmf_E_None &&
        wmf_display_size(api.get(), &width, &height, 96, 96) == wmf_E_None && width > 0 && height > 0) {
        const QSize size =
            withinLimits(QSize(static_cast<int>(std::min(width, 65535u)), static_cast<int>(std::min(height, 65535u))));
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
    if (image.isNull()) {
        if (const std::string problem = metafileLibraryProblem(); !problem.empty())
            failMetafileLibrary(problem);
    }
    return image;
}

struct Format {
    const char* extension;
    const char* name;
    PictureDecoder decode;
    // The size the header declares, checked before decoding; null for the metafiles, whose
    // decoders bound the size they draw at themselves.
    QSize (*declaredSize)(const QByteArray& data);
};

constexpr Format kFormats[] = {
    {"bmp", "Windows bitmap", decodeBitmap, bitmapSize},
    {"ico", "icon", decodeIcon, iconSize},
    {"wmf", "Windows metafile", decodeWindowsMetafile, nullptr},
    {"emf", "enhanced metafile", decodeEnhancedMetafile, nullptr},
    {"jpg", "JPEG", decodeJpeg, jpegSize},
    {"jpeg", "JPEG", decodeJpeg, jpegSize},
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
    const QString extension =
        QString::fromStdString(std::filesystem::path(name.toStdString()).extension().string()).mid(1);
    const Format* format = formatFor(extension);
    if (!format)
        fail(QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
    return *format;
}

QImage decodeAs(const Format& format, const QString& name, const QByteArray& data)
{
    if (format.declaredSize) {
        const QSize size = format.declaredSize(data);
        if (qint64(size.width()) * size.height() > kLargestPixelCount)
            fail(QStringLiteral("The picture file %1 is too large to show: %2 x %3 pixels, at most %4 million")
                     .arg(name)
                     .arg(size.width())
                     .arg(size.height())
                     .arg(kLargestPixelCount / 1'000'000));
    }
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

QImage loadPictureFile(const core::DriveFiles& drive, const core::DrivePath& file)
{
    const QString name = file.empty() ? QString() : QString::fromStdString(file.back());
    const Format& format = formatOf(name);
    std::string data;
    if (const int error = drive.readFile(file, data, static_cast<std::size_t>(kLargestFile))) {
        if (error == EFBIG)
            fail(QStringLiteral("The picture file %1 is too large to show").arg(name));
        fail(QStringLiteral("Cannot read the picture file %1: %2")
                 .arg(name, QString::fromLocal8Bit(std::strerror(error))));
    }
    return decodeAs(format, name, QByteArray(data.data(), static_cast<qsizetype>(data.size())));
}

} // namespace removal
