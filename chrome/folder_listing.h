#pragma once

#include "core/io/drive_files.h"

#include <string>
#include <vector>

namespace chrome {

// The names a file list shows for `folder` of drive C:: its files (mask "*.*"), no folders and
// no hidden files, sorted by name without regard to case. The folder becomes the process's
// current folder. Throws core::Error when the folder cannot be opened or read.
std::vector<std::string> folderFiles(const core::DriveFiles& drive, const core::DrivePath& folder);

} // namespace chrome
