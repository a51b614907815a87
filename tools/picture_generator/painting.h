#pragma once

#include "chrome/definition.h"

#include <QFont>
#include <QImage>
#include <QRectF>
#include <QString>

#include <optional>

// The program's skin: how each kind of picture is drawn.
namespace pictures {

// Where a picture's caption is written, in the picture's own coordinates, in which font and
// with which alignment; none for the looks that carry no caption. A caption too long for the
// look's usual size is written in a smaller one.
struct CaptionLayout {
    QRectF area;
    QFont font;
    int flags = 0;
};
std::optional<CaptionLayout> captionLayout(const chrome::Component& component);
// Whether the whole caption is written inside its area (no word wider than it, no line below
// it), in the smallest size if need be. Looks without a caption area place their text their own way.
bool captionFits(const chrome::Component& component);

// The whole face of a window, fuchsia (the colour key) around its rounded shape.
QImage drawBackground(const chrome::WindowDefinition& window);
// Where the window's title is written on its side panel.
QRectF titleArea(const chrome::WindowDefinition& window);
// A picture component, drawn over what the background shows at its place.
QImage drawComponent(const QImage& background, const chrome::Component& component);
// The program's icon: the logo's dial on the title strip's colour, `size` pixels square.
QImage drawIcon(int size);
// The same icon as a scalable picture (SVG).
bool writeSvgIcon(const QString& path);
// Encodes with libjpeg-turbo (full colour resolution, so that the text stays crisp).
bool writeJpeg(const QImage& image, const QString& path);

} // namespace pictures
