#include "core/platform/drive_space.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

using core::DriveSpace;
using core::FreeSpace;

namespace {
constexpr std::int64_t MB = 1048576;
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
} // namespace

TEST(DriveSpace, PercentAndMegabytesAreTruncatedNotRounded)
{
    EXPECT_EQ(core::freeSpace({1234 * MB, 10000 * MB}), (FreeSpace{12, 1234}));
    EXPECT_EQ(core::freeSpace({1999 * MB, 2000 * MB}), (FreeSpace{99, 1999}));
    EXPECT_EQ(core::freeSpace({MB - 1, 100 * MB}), (FreeSpace{0, 0}));
    EXPECT_EQ(core::freeSpace({10 * MB, 10 * MB}), (FreeSpace{100, 10}));
    EXPECT_EQ(core::freeSpace({0, 10 * MB}), (FreeSpace{0, 0}));
}

TEST(DriveSpace, AFailedQueryOrADriveWithoutSizeGivesNoShare)
{
    // The -1 counts of a failed query must not read as "100 percent free".
    EXPECT_EQ(DriveSpace{}, (DriveSpace{-1, -1}));
    EXPECT_EQ(core::freeSpace({-1, -1}), std::nullopt);
    EXPECT_EQ(core::freeSpace({-1, 10 * MB}), std::nullopt);
    EXPECT_EQ(core::freeSpace({0, 0}), std::nullopt);
    EXPECT_EQ(core::freeSpace({5 * MB, 0}), std::nullopt);
}

TEST(DriveSpace, HugeDrivesDoNotOverflow)
{
    // 8 EB in all, half of it free: free * 100 does not fit in 64 bits.
    const std::int64_t total = kMax;
    EXPECT_EQ(core::freeSpace({total / 2, total}), (FreeSpace{49, (total / 2) / MB}));
    EXPECT_EQ(core::freeSpace({total, total})->percent, 100);
    EXPECT_EQ(core::freeSpace({total - 1, total})->percent, 99);
    EXPECT_EQ(core::freeSpace({kMax / 100 + 1, total})->percent, 1);
    // More free than total, as a few network file systems report.
    EXPECT_EQ(core::freeSpace({kMax / 2, kMax / 4})->percent, 200);
}

TEST(DriveSpace, BlockCountsBecomeBytesCappedAtTheLargestCount)
{
    EXPECT_EQ(core::driveSpaceFromBlocks(10, 40, 4096), (DriveSpace{40960, 163840}));
    EXPECT_EQ(core::driveSpaceFromBlocks(0, 0, 4096), (DriveSpace{0, 0}));
    EXPECT_EQ(core::driveSpaceFromBlocks(std::uint64_t(1) << 62, std::uint64_t(1) << 63, 4096),
              (DriveSpace{kMax, kMax}));
}
