#pragma once

#include "core/io/drive_path.h"

#include <cstddef>
#include <string>
#include <vector>

namespace core {

// What the windows' file tools do on drive C:, whichever system holds it: the emulated
// machine's folder on Linux, the real drive on Windows. Failures are errno values, 0 for none.
class DriveFiles {
public:
    virtual ~DriveFiles() = default;

    // The folder at `path` with its names as they exist; false when it is no folder (a link
    // never is one) or cannot be opened.
    virtual bool findFolder(const DrivePath& path, DrivePath& real) const = 0;
    // The names of the regular files in a folder, without hidden ones; the folder becomes the
    // process's current folder, as a file list box makes it.
    virtual int listFiles(const DrivePath& folder, std::vector<std::string>& names) const = 0;
    // Reads a regular file whole, never through a link; EFBIG when larger than `limit`.
    virtual int readFile(const DrivePath& file, std::string& contents, std::size_t limit) const = 0;
    // Deletes a file, never a folder (a link as a link).
    virtual int removeFile(const DrivePath& file) const = 0;
    // The program's current folder on the drive when it lies there, else the user's folder
    // there; C:\ itself when neither opens.
    virtual DrivePath currentFolder() const = 0;
};

} // namespace core
