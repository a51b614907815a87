#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include "core/io/drive_files.h"

#include <filesystem>

namespace removal {

// Turns a file's bytes into a picture; a null image when they are not a picture of its kind.
using PictureDecoder = QImage (*)(const QByteArray& data);

// The picture formats the preview knows, by file extension (without the dot, any letter case):
// Windows bitmap, icon, Windows metafile, enhanced metafile and JPEG. Null for any other.
PictureDecoder decoderFor(const QString& extension);

// Loads a picture file by its extension. Throws core::Error with "Unknown picture file extension
// (.ext)" for an extension of no picture format, and with a message that names the file when it
// cannot be read or does not decode as its extension says. A picture whose header declares more
// pixels than a preview may hold is refused before it is decoded, and a picture library that
// cannot start says so and why.
QImage loadPictureFile(const std::filesystem::path& file);
// The same for a file of drive C:, never read through a link.
QImage loadPictureFile(const core::DriveFiles& drive, const core::DrivePath& file);

} // namespace removal
