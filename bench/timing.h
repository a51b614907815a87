#pragma once

// The benchmarks' one way to time work and to take the median of rounds.

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

namespace bench {

// The middle value (the upper one of an even count); `values` must not be empty.
template <class T>
T median(std::vector<T> values)
{
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Wall time of one run of `work`, in milliseconds.
inline double milliseconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Median wall time of one call of `call`, in milliseconds, over `rounds` rounds of
// `callsPerRound` calls each, after one warm-up call.
inline double medianMilliseconds(int rounds, const std::function<void()>& call, int callsPerRound = 1)
{
    call();
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < callsPerRound; ++i)
            call();
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
        times.push_back(elapsed.count() / callsPerRound);
    }
    return median(times);
}

} // namespace bench
