#include "core/machine/machine_drive_files.h"

#include "core/machine/drive.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace core {

bool MachineDriveFiles::findFolder(const DrivePath& path, DrivePath& real) const
{
    int error = 0;
    return static_cast<bool>(Drive(m_calls, m_machine.driveC()).openFolder(path, error, &real));
}

int MachineDriveFiles::listFiles(const DrivePath& folder, std::vector<std::string>& names) const
{
    const Drive drive(m_calls, m_machine.driveC());
    if (!drive.isOpen())
        return 0; // a machine without drive C: has no files to list
    Descriptor opened;
    if (const int error = drive.listFiles(folder, names, &opened))
        return error;
    return ::fchdir(opened.get()) == 0 ? 0 : errno;
}

int MachineDriveFiles::readFile(const DrivePath& file, std::string& contents, std::size_t limit) const
{
    return Drive(m_calls, m_machine.driveC()).readFile(file, contents, limit);
}

int MachineDriveFiles::removeFile(const DrivePath& file) const
{
    return Drive(m_calls, m_machine.driveC()).removeFile(file);
}

DrivePath MachineDriveFiles::currentFolder() const
{
    // A current folder that has been removed meanwhile has no name: the profile stands in.
    std::error_code unnamed;
    const std::filesystem::path here = std::filesystem::current_path(unnamed);
    return core::currentFolder(Drive(m_calls, m_machine.driveC()), m_machine.driveC(), here, m_machine.profileFolder());
}

} // namespace core
