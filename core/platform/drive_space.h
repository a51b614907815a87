#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace core {

// The byte counts of a drive: free bytes available to the current user and total bytes, -1
// each when the drive cannot be queried.
struct DriveSpace {
    std::int64_t freeBytes = -1;
    std::int64_t totalBytes = -1;

    friend bool operator==(const DriveSpace&, const DriveSpace&) = default;
};

// Asks the system about drive C:. One implementation per system; tests use a fake.
class DriveSpaceQuery {
public:
    virtual ~DriveSpaceQuery() = default;
    virtual DriveSpace driveC() const = 0;
};

// Drive C: of the emulated machine: statvfs on its drive_c/ folder.
class StatvfsDriveSpace final : public DriveSpaceQuery {
public:
    explicit StatvfsDriveSpace(std::filesystem::path driveC);
    DriveSpace driveC() const override;

private:
    std::filesystem::path m_driveC;
};

// The counts of a file system with `available` blocks free to unprivileged users out of
// `blocks`, each of `fragmentSize` bytes; counts beyond a signed 64-bit number are capped.
DriveSpace driveSpaceFromBlocks(std::uint64_t available, std::uint64_t blocks, std::uint64_t fragmentSize);

// What the information bar shows: the free share in percent and the free megabytes, both
// truncated toward zero in signed 64-bit arithmetic. Nothing when the counts say nothing: a
// failed query (-1 each) would otherwise read as "100 percent free", and a drive that reports
// no size at all has no share to give.
struct FreeSpace {
    std::int64_t percent = 0;
    std::int64_t megabytes = 0;

    friend bool operator==(const FreeSpace&, const FreeSpace&) = default;
};
std::optional<FreeSpace> freeSpace(const DriveSpace& space);

} // namespace core
