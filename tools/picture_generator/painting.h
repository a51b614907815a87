#pragma once

#include "chrome/definition.h"

#include <QImage>
#include <QString>

// The program's skin: how each kind of picture is drawn.
namespace pictures {

// The whole face of a window, fuchsia (the colour key) around its rounded shape.
QImage drawBackground(const chrome::WindowDefinition& window);
// A picture component, drawn over what the background shows at its place.
QImage drawComponent(const QImage& background, const chrome::Component& component);
// The program's icon: the logo's dial on the title strip's colour.
QImage drawIcon(int size);
// Encodes with libjpeg-turbo (full colour resolution, so that the text stays crisp).
bool writeJpeg(const QImage& image, const QString& path);

} // namespace pictures
