#include "core/platform/drive_space.h"

#include <limits>

namespace core {

namespace {

constexpr std::int64_t kMegabyte = 1048576;
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

// floor(part * 100 / whole) for part >= 0, whole > 0, without overflow: part * 100 does not
// fit in 64 bits on drives of more than 92 PB.
std::int64_t hugePercent(std::int64_t part, std::int64_t whole)
{
    const auto w = static_cast<std::uint64_t>(whole);
    const auto quotient = static_cast<std::uint64_t>(part) / w;
    const auto rest = static_cast<std::uint64_t>(part) % w;
    if (quotient > static_cast<std::uint64_t>(kMax / 100) - 1)
        return kMax;
    // 100 * rest / w, adding the rest up a hundred times and carrying whole parts over; each
    // sum stays below 2 * w <= 2^64.
    std::uint64_t sum = 0;
    std::int64_t carried = 0;
    for (int i = 0; i < 100; ++i) {
        sum += rest;
        if (sum >= w) {
            sum -= w;
            ++carried;
        }
    }
    return static_cast<std::int64_t>(quotient) * 100 + carried;
}

} // namespace

DriveSpace driveSpaceFromBlocks(std::uint64_t available, std::uint64_t blocks, std::uint64_t fragmentSize)
{
    auto bytes = [fragmentSize](std::uint64_t count) {
        if (fragmentSize != 0 && count > static_cast<std::uint64_t>(kMax) / fragmentSize)
            return kMax;
        return static_cast<std::int64_t>(count * fragmentSize);
    };
    return {bytes(available), bytes(blocks)};
}

std::optional<FreeSpace> freeSpace(const DriveSpace& space)
{
    if (space.freeBytes < 0 || space.totalBytes <= 0)
        return std::nullopt;
    FreeSpace result;
    result.megabytes = space.freeBytes / kMegabyte;
    if (space.freeBytes > kMax / 100)
        result.percent = hugePercent(space.freeBytes, space.totalBytes);
    else
        result.percent = space.freeBytes * 100 / space.totalBytes;
    return result;
}

} // namespace core
