#pragma once

// The benchmarks' one way to time work and to take the least, middle and largest of rounds.

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
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

// The least, the middle and the largest of a measurement's rounds; in a ratio or a comparison it
// stands for its median, which is what the targets are about.
struct Spread {
    double min = 0;
    double median = 0;
    double max = 0;
    operator double() const { return median; }
    Spread scaled(double factor) const { return {min * factor, median * factor, max * factor}; }
    // "min / median / max", each figure as `format` writes it.
    std::string text(const char* format = "%.2f") const
    {
        std::string out;
        char buffer[64];
        for (const double figure : {min, median, max}) {
            std::snprintf(buffer, sizeof buffer, format, figure);
            out += (out.empty() ? "" : " / ") + std::string(buffer);
        }
        return out;
    }
};

template <class T>
Spread spread(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return {double(values.front()), double(median(values)), double(values.back())};
}

// Wall time of one run of `work`, in milliseconds.
inline double milliseconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Wall time of one call of `call`, in milliseconds, over `rounds` rounds of
// `callsPerRound` calls each, after one warm-up call.
inline Spread spreadMilliseconds(int rounds, const std::function<void()>& call, int callsPerRound = 1)
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
    return spread(times);
}

} // namespace bench
