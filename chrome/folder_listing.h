#pragma once

#include "core/machine/drive.h"

#include <string>
#include <vector>

namespace chrome {

// The names a file list shows for `folder` of drive C:: its files (mask "*.*"), no folders and
// no hidden files (a leading dot), sorted by name without regard to case. The folder is reached
// through the drive's walk, never through a link, and becomes the process's current folder.
// Throws core::Error when the folder cannot be opened or read; a machine without drive C: lists
// nothing.
std::vector<std::string> folderFiles(const core::Drive& drive, const core::DrivePath& folder);

} // namespace chrome
