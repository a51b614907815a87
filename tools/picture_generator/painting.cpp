#include "painting.h"

#include "chrome/skin.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>

#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace pictures {

namespace {

using chrome::PictureLook;
namespace skin = chrome::skin;

constexpr int kSmallestCaptionPixels = 9;

QColor colour(std::uint32_t rgb)
{
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}

// A tick or cross left of the caption of an enabling or disabling target, where there is room
// for both.
bool hasSymbol(const chrome::Component& component)
{
    return (component.picture == PictureLook::TargetOn || component.picture == PictureLook::TargetOff)
           && component.place.width >= 70;
}

QFont font(int pixels, bool bold)
{
    QFont f(QString::fromLatin1(skin::fontSubstitute));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QRectF toRect(const chrome::Rect& r)
{
    return QRectF(r.x, r.y, r.width, r.height);
}

void fillRounded(QPainter& p, const QRectF& r, qreal radius, const QBrush& brush, const QColor& border = {})
{
    QPainterPath path;
    path.addRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.fillPath(path, brush);
    if (border.isValid()) {
        p.setPen(QPen(border, 1));
        p.drawPath(path);
    }
}

QLinearGradient vertical(const QRectF& r, const QColor& top, const QColor& bottom)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

void drawTitleStrip(QPainter& p, int width, int height)
{
    const QRectF strip(0, 0, width, height);
    p.fillRect(strip, vertical(strip, colour(skin::titleStripLight), colour(skin::titleStrip)));
    p.fillRect(QRectF(0, height - 2, width, 2), colour(skin::accent));
}

// The emblem: a tuning dial.
void drawDial(QPainter& p, const QRectF& dial)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(vertical(dial, colour(0xFFD36B), colour(skin::accent)));
    p.setPen(QPen(colour(0xFFF1C8), 2));
    p.drawEllipse(dial);
    p.setPen(QPen(colour(skin::titleStrip), 3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(dial.center());
        p.rotate(i * 45.0);
        p.drawLine(QPointF(0, -dial.height() * 0.43), QPointF(0, -dial.height() * 0.34));
        p.restore();
    }
    p.setPen(QPen(colour(skin::titleStrip), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(dial.center(), dial.center() + QPointF(dial.width() * 0.23, -dial.width() * 0.23));
    p.setBrush(colour(skin::titleStrip));
    p.setPen(Qt::NoPen);
    p.drawEllipse(dial.center(), dial.width() * 0.07, dial.width() * 0.07);
}

void drawLogo(QPainter& p, const QRectF& r)
{
    fillRounded(p, r, 10, vertical(r, colour(0x24385E), colour(0x16223A)), colour(0x4A6496));
    drawDial(p, QRectF(r.x() + 14, r.y() + 22, 70, 70));

    p.setPen(colour(skin::lightText));
    p.setFont(font(22, true));
    p.drawText(QRectF(r.x() + 92, r.y() + 22, r.width() - 96, 28), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KWINTOR"));
    p.setFont(font(15, true));
    p.setPen(colour(skin::accent));
    p.drawText(QRectF(r.x() + 92, r.y() + 50, r.width() - 96, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("DOSTROJNIK"));
    p.setFont(font(12, false));
    p.setPen(colour(skin::lightText));
    p.drawText(QRectF(r.x() + 92, r.y() + 72, r.width() - 96, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("2004 · wersja 2.0"));
}

void drawBar(QPainter& p, const QRectF& r)
{
    fillRounded(p, r, 5, vertical(r, colour(0x121B2C), colour(0x0C1320)), colour(0x4A6496));
    p.setPen(QPen(colour(0x4A6496), 1));
    for (int x : {91, 350, 508})
        p.drawLine(QPointF(x + 0.5, r.top() + 4), QPointF(x + 0.5, r.bottom() - 4));
}

void drawPanel(QPainter& p, const chrome::Panel& panel)
{
    const QRectF r = toRect(panel.place);
    switch (panel.look) {
    case chrome::PanelLook::Side:
        fillRounded(p, r, 8, vertical(r, colour(0x3E5172), colour(skin::side)), colour(0x5A7098));
        break;
    case chrome::PanelLook::Light:
        fillRounded(p, r, 6, QColor(0xF4F6FA), colour(skin::frame));
        if (!panel.text.empty()) {
            const QRectF heading(r.x() + 4, r.y() + 3, r.width() - 8, 14);
            fillRounded(p, heading, 3, colour(skin::headingGrey));
            p.setPen(Qt::white);
            p.setFont(font(10, true));
            p.drawText(heading, Qt::AlignCenter, QString::fromStdString(panel.text));
        }
        break;
    case chrome::PanelLook::White:
        fillRounded(p, r, 12, Qt::white, colour(skin::frame));
        break;
    case chrome::PanelLook::Logo:
        drawLogo(p, r);
        break;
    case chrome::PanelLook::Bar:
        drawBar(p, r);
        break;
    case chrome::PanelLook::Heading:
        p.setPen(colour(skin::titleStrip));
        p.setFont(font(11, true));
        p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(panel.text));
        p.fillRect(QRectF(r.x(), r.bottom() - 1, r.width(), 2), colour(skin::accent));
        break;
    }
}

void drawSymbolButton(QPainter& p, const QRectF& area, bool close)
{
    const qreal side = std::min(area.width(), area.height()) - 4;
    const QRectF button(area.center().x() - side / 2, area.center().y() - side / 2, side, side);
    const QColor top = close ? colour(0xE0574C) : colour(0x5B77A8);
    const QColor bottom = close ? colour(skin::off) : colour(0x3A5280);
    fillRounded(p, button, 4, vertical(button, top, bottom), colour(0xDCE4F2));
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    const qreal m = side * 0.3;
    if (close) {
        p.drawLine(button.topLeft() + QPointF(m, m), button.bottomRight() - QPointF(m, m));
        p.drawLine(button.topRight() + QPointF(-m, m), button.bottomLeft() + QPointF(m, -m));
    } else {
        p.drawLine(QPointF(button.left() + m, button.bottom() - m), QPointF(button.right() - m, button.bottom() - m));
    }
}

void drawArrowCircle(QPainter& p, const QPointF& centre, bool left)
{
    p.setBrush(colour(skin::accent));
    p.setPen(QPen(colour(0xFFF1C8), 1.5));
    p.drawEllipse(centre, 8, 8);
    p.setPen(QPen(colour(skin::titleStrip), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const qreal d = left ? -1 : 1;
    p.drawLine(centre + QPointF(-4 * d, 0), centre + QPointF(4 * d, 0));
    p.drawLine(centre + QPointF(4 * d, 0), centre + QPointF(0, -4));
    p.drawLine(centre + QPointF(4 * d, 0), centre + QPointF(0, 4));
}

void drawCaptionText(QPainter& p, const chrome::Component& component, const QColor& pen)
{
    const std::optional<CaptionLayout> layout = captionLayout(component);
    if (!layout)
        return;
    p.setPen(pen);
    p.setFont(layout->font);
    p.drawText(layout->area, layout->flags, QString::fromStdString(component.text));
}

void drawMenuEntry(QPainter& p, const QRectF& area, const chrome::Component& component, bool left)
{
    const QRectF pill = area.adjusted(1, 1, -1, -1);
    fillRounded(p, pill, 12, vertical(pill, colour(0x4D6690), colour(0x2C3E60)), colour(0x7F98C4));
    const qreal arrowX = left ? pill.left() + 14 : pill.right() - 14;
    drawArrowCircle(p, QPointF(arrowX, pill.center().y()), left);
    drawCaptionText(p, component, colour(skin::lightText));
}

void drawTarget(QPainter& p, const QRectF& area, const chrome::Component& component)
{
    const PictureLook look = component.picture;
    const QRectF pill = area.adjusted(2, 2, -2, -2);
    QColor base = colour(skin::choice);
    if (look == PictureLook::TargetOn)
        base = colour(skin::on);
    else if (look == PictureLook::TargetOff)
        base = colour(skin::off);
    fillRounded(p, pill, std::min<qreal>(8, pill.height() / 2), vertical(pill, base.lighter(130), base),
                base.darker(140));
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const qreal cy = pill.center().y();
    if (hasSymbol(component)) {
        const qreal x = pill.left() + 10;
        if (look == PictureLook::TargetOn) {
            p.drawLine(QPointF(x - 4, cy), QPointF(x - 1, cy + 3));
            p.drawLine(QPointF(x - 1, cy + 3), QPointF(x + 5, cy - 4));
        } else {
            p.drawLine(QPointF(x - 4, cy - 4), QPointF(x + 4, cy + 4));
            p.drawLine(QPointF(x + 4, cy - 4), QPointF(x - 4, cy + 4));
        }
    }
    drawCaptionText(p, component, Qt::white);
}

void drawCaption(QPainter& p, const QRectF& area, const chrome::Component& component)
{
    const QRectF box = area.adjusted(1, 1, -1, -1);
    fillRounded(p, box, 6, vertical(box, Qt::white, colour(0xE3E9F3)), colour(skin::frame));
    p.fillRect(QRectF(box.left() + 6, box.top() + 3, 3, box.height() - 6), colour(skin::accent));
    drawCaptionText(p, component, colour(skin::darkText));
}

// The main window's first-run panel: a framed box with a title strip, a light left and right
// half, and in the right one the white field that the name entry (146 x 17 at (219, 114) of
// the panel) lies in. The buttons sit on the dark ground below the halves.
void drawFirstRunPanel(QPainter& p, const QRectF& area, const QString& title)
{
    QPainterPath shape;
    shape.addRoundedRect(area.adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    p.fillPath(shape, vertical(area, colour(0x24385E), colour(0x16223A)));
    p.save();
    p.setClipPath(shape);
    const QRectF strip(0, 0, area.width(), 22);
    p.fillRect(strip, vertical(strip, colour(skin::titleStripLight), colour(skin::titleStrip)));
    p.fillRect(QRectF(0, 20, area.width(), 2), colour(skin::accent));
    p.restore();
    p.setPen(QPen(colour(0x7F98C4), 1));
    p.drawPath(shape);
    p.setPen(colour(skin::lightText));
    p.setFont(font(11, true));
    p.drawText(strip.adjusted(0, 0, 0, -2), Qt::AlignCenter, title);

    fillRounded(p, QRectF(4, 26, 196, 124), 6, QColor(0xF4F6FA), colour(skin::frame));
    fillRounded(p, QRectF(208, 26, 169, 124), 6, QColor(0xF4F6FA), colour(skin::frame));
    fillRounded(p, QRectF(216, 112, 152, 21), 3, Qt::white, colour(skin::frame));
}

void drawTriangle(QPainter& p, const QRectF& area, bool down)
{
    QPolygonF triangle;
    if (down)
        triangle << area.topLeft() + QPointF(1, 1) << area.topRight() + QPointF(-1, 1)
                 << QPointF(area.center().x(), area.bottom() - 1);
    else
        triangle << area.bottomLeft() + QPointF(1, -1) << area.bottomRight() + QPointF(-1, -1)
                 << QPointF(area.center().x(), area.top() + 1);
    p.setPen(Qt::NoPen);
    p.setBrush(colour(skin::arrow));
    p.drawPolygon(triangle);
}

} // namespace

std::optional<CaptionLayout> captionLayout(const chrome::Component& component)
{
    const QRectF area(0, 0, component.place.width, component.place.height);
    const int wrapped = Qt::AlignCenter | Qt::TextWordWrap;
    CaptionLayout layout;
    int pixels = 0;
    switch (component.picture) {
    case PictureLook::MenuLeft:
        layout = {area.adjusted(29, 1, -9, -1), {}, Qt::AlignLeft | Qt::AlignVCenter};
        pixels = 12;
        break;
    case PictureLook::MenuRight:
        layout = {area.adjusted(9, 1, -29, -1), {}, Qt::AlignRight | Qt::AlignVCenter};
        pixels = 12;
        break;
    case PictureLook::OptionCaption:
        layout = {area.adjusted(15, 3, -7, -3), {}, wrapped};
        pixels = 11;
        break;
    case PictureLook::TargetOn:
    case PictureLook::TargetOff:
    case PictureLook::TargetChoice:
        layout = {area.adjusted(2, 2, -2, -2), {}, wrapped};
        pixels = layout.area.height() >= 20 ? 12 : 10;
        // The tick or cross sits left of the text.
        if (hasSymbol(component))
            layout.area.setLeft(layout.area.left() + 18);
        break;
    default:
        return std::nullopt;
    }
    // A long caption is written smaller, down to the smallest size that still reads well.
    const QString text = QString::fromStdString(component.text);
    for (;; --pixels) {
        layout.font = font(pixels, true);
        if (pixels <= kSmallestCaptionPixels
            || layout.area.contains(QFontMetricsF(layout.font).boundingRect(layout.area, layout.flags, text)))
            return layout;
    }
}

bool captionFits(const chrome::Component& component)
{
    const std::optional<CaptionLayout> layout = captionLayout(component);
    if (!layout)
        return true;
    const QRectF needed = QFontMetricsF(layout->font)
                              .boundingRect(layout->area, layout->flags, QString::fromStdString(component.text));
    // A word wider than the area, or lines taller than it, stick out of the area.
    return layout->area.contains(needed);
}

QImage drawBackground(const chrome::WindowDefinition& window)
{
    constexpr std::uint32_t rim = 0x0C1320;
    QImage image(window.width, window.height, QImage::Format_RGB32);
    // The face is painted on the rim's colour; the colour key comes last (see below).
    image.fill(colour(rim));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const bool mainWindow = window.sidePanelWidth == 0;
    const QRectF face(0, 0, window.width, window.height);
    QPainterPath shape;
    shape.addRoundedRect(face, 12, 12);
    p.setClipPath(shape);
    // The main window is dark all over; the others have a light options area.
    if (mainWindow)
        p.fillRect(face, vertical(face, colour(0x1E2C48), colour(0x141E32)));
    else
        p.fillRect(face, colour(skin::body));
    drawTitleStrip(p, window.width, mainWindow ? 42 : 22);
    if (window.sidePanelWidth > 0) {
        const QRectF side(0, 22, window.sidePanelWidth, window.height - 22);
        p.fillRect(side, vertical(side, colour(0x3E5172), colour(skin::side)));
        p.fillRect(QRectF(window.sidePanelWidth - 2, 22, 2, window.height - 22), colour(skin::accent));
        p.setPen(colour(skin::arrow));
        p.setFont(font(13, true));
        p.drawText(titleArea(window), Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(window.title));
    }
    for (const chrome::Panel& panel : window.panels)
        drawPanel(p, panel);
    p.setClipping(false);
    p.setPen(QPen(colour(rim), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    p.end();

    // A pixel at the rounded corners is all key or not key at all: a blend of the two would
    // match the key no more and show as a pink fringe around the window.
    QImage coverage(image.size(), QImage::Format_ARGB32_Premultiplied);
    coverage.fill(Qt::transparent);
    QPainter shapePainter(&coverage);
    shapePainter.setRenderHint(QPainter::Antialiasing);
    shapePainter.fillPath(shape, Qt::black);
    shapePainter.end();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const auto* inside = reinterpret_cast<const QRgb*>(coverage.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(inside[x]) < 128)
                line[x] = 0xFF000000 | skin::colourKey;
        }
    }
    return image;
}

QRectF titleArea(const chrome::WindowDefinition& window)
{
    // As many lines as the title has, each as high as the font's line spacing.
    const auto lines = std::count(window.title.begin(), window.title.end(), '\n') + 1;
    return {8, 25, static_cast<qreal>(window.sidePanelWidth - 12),
            std::ceil(QFontMetricsF(font(13, true)).lineSpacing() * static_cast<qreal>(lines))};
}

QImage drawComponent(const QImage& background, const chrome::Component& component)
{
    const QRect place(component.place.x, component.place.y, component.place.width, component.place.height);
    QImage image = background.copy(place);
    // What lies outside the window's shape is not the component's business.
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == skin::colourKey)
                line[x] = qRgb(0x1C, 0x2A, 0x44);
        }
    }
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF area(0, 0, place.width(), place.height());
    switch (component.picture) {
    case PictureLook::Background:
        break;
    case PictureLook::Minimise:
        drawSymbolButton(p, area, false);
        break;
    case PictureLook::Close:
        drawSymbolButton(p, area, true);
        break;
    case PictureLook::MenuLeft:
        drawMenuEntry(p, area, component, true);
        break;
    case PictureLook::MenuRight:
        drawMenuEntry(p, area, component, false);
        break;
    case PictureLook::OptionCaption:
        drawCaption(p, area, component);
        break;
    case PictureLook::TargetOn:
    case PictureLook::TargetOff:
    case PictureLook::TargetChoice:
        drawTarget(p, area, component);
        break;
    case PictureLook::TriangleDown:
        drawTriangle(p, area, true);
        break;
    case PictureLook::TriangleUp:
        drawTriangle(p, area, false);
        break;
    case PictureLook::WhiteBox:
        fillRounded(p, area, 6, Qt::white, colour(skin::frame));
        break;
    case PictureLook::FirstRunPanel:
        drawFirstRunPanel(p, area, QString::fromStdString(component.text));
        break;
    }
    return image;
}

void paintIcon(QPainter& p, int size)
{
    p.fillRect(QRect(0, 0, size, size), colour(skin::titleStrip));
    // Drawn on a 64-pixel grid and scaled, so that every size has the same proportions.
    const qreal grid = 64;
    p.scale(size / grid, size / grid);
    drawDial(p, QRectF(1, 1, grid - 2, grid - 2));
}

QImage drawIcon(int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    QPainter p(&image);
    paintIcon(p, size);
    return image;
}

bool writeSvgIcon(const QString& path)
{
    constexpr int size = 64;
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(size, size));
    svg.setViewBox(QRect(0, 0, size, size));
    svg.setTitle(QStringLiteral("Kwintor Dostrojnik 2004"));
    QPainter p;
    if (!p.begin(&svg))
        return false;
    paintIcon(p, size);
    return p.end();
}

bool writeJpeg(const QImage& image, const QString& path)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    std::unique_ptr<void, int (*)(tjhandle)> encoder(tjInitCompress(), tjDestroy);
    if (!encoder)
        return false;
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    if (tjCompress2(encoder.get(), rgb.constBits(), rgb.width(), static_cast<int>(rgb.bytesPerLine()), rgb.height(),
                    TJPF_RGB, &jpeg, &size, TJSAMP_444, 92, TJFLAG_ACCURATEDCT)
        != 0)
        return false;
    std::unique_ptr<unsigned char, void (*)(unsigned char*)> owned(jpeg, tjFree);
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
           && file.write(reinterpret_cast<const char*>(jpeg), static_cast<qint64>(size)) == static_cast<qint64>(size);
}

} // namespace pictures
