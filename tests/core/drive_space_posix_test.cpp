#include "core/platform/drive_space.h"

#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <sys/statvfs.h>

using core::DriveSpace;

TEST(DriveSpace, StatvfsOnTheMachinesDriveC)
{
    testing_support::TemporaryFolder folder;
    const core::StatvfsDriveSpace drive(folder.path());
    const DriveSpace space = drive.driveC();
    struct statvfs info {};
    ASSERT_EQ(::statvfs(folder.path().c_str(), &info), 0);
    EXPECT_EQ(space.totalBytes, static_cast<std::int64_t>(info.f_blocks * info.f_frsize));
    EXPECT_GE(space.freeBytes, 0);
    EXPECT_LE(space.freeBytes, space.totalBytes);

    const core::StatvfsDriveSpace missing(folder / "no-such-drive_c");
    EXPECT_EQ(missing.driveC(), (DriveSpace{-1, -1}));
}
