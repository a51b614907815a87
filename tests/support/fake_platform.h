#pragma once

#include "core/platform/clock.h"
#include "core/platform/desktop_windows.h"
#include "core/platform/drive_space.h"
#include "core/platform/process_control.h"

#include <cstdint>
#include <map>
#include <vector>

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

// The top-level windows the test puts here; counts how often it was asked.
class FakeDesktop final : public core::DesktopWindows {
public:
    std::vector<core::TopLevelWindow> topLevelWindows() override
    {
        ++queries;
        return windows;
    }

    std::vector<core::TopLevelWindow> windows;
    int queries = 0;
};

// Records the processes asked to end; each ends unless `results` says otherwise.
class FakeProcesses final : public core::ProcessControl {
public:
    core::EndProcess end(std::int64_t processId) override
    {
        ended.push_back(processId);
        const auto found = results.find(processId);
        return found == results.end() ? core::EndProcess::Ended : found->second;
    }

    std::map<std::int64_t, core::EndProcess> results;
    std::vector<std::int64_t> ended;
};

} // namespace testing_support
