#pragma once

#include "core/platform/clock.h"
#include "core/platform/drive_space.h"

namespace testing_support {

// A clock standing still at `at` until the test moves it, with the formats of the real one.
class FakeClock final : public core::Clock {
public:
    core::LocalTime now() const override { return at; }
    std::string shortDate(const core::LocalTime& time) const override { return core::polishShortDate(time); }
    std::string longTime(const core::LocalTime& time) const override { return core::polishLongTime(time); }

    core::LocalTime at{2004, 8, 15, 12, 34, 56, 0};
};

// Drive C: with the counts the test sets; counts how often it was asked.
class FakeDriveSpace final : public core::DriveSpaceQuery {
public:
    core::DriveSpace driveC() const override
    {
        ++queries;
        return space;
    }

    core::DriveSpace space{1234LL * 1048576, 10000LL * 1048576};
    mutable int queries = 0;
};

} // namespace testing_support
