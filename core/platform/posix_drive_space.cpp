#include "core/platform/drive_space.h"

#include <sys/statvfs.h>

#include <utility>

namespace core {

StatvfsDriveSpace::StatvfsDriveSpace(std::filesystem::path driveC)
    : m_driveC(std::move(driveC))
{
}

DriveSpace StatvfsDriveSpace::driveC() const
{
    struct statvfs info {};
    if (::statvfs(m_driveC.c_str(), &info) != 0)
        return {};
    return driveSpaceFromBlocks(info.f_bavail, info.f_blocks, info.f_frsize);
}

} // namespace core
