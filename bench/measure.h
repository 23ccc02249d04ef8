#pragma once

// Timing and reading the times, shared by the bench programs.

#include <algorithm>
#include <chrono>
#include <vector>

// The value below which the given fraction of the values lie (0.5: the median).
inline double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[at];
}

// The time of each of `times` runs of `use` (given the run's number), in µs.
template <typename Use> std::vector<double> timedEach(int times, Use use)
{
    std::vector<double> each;
    each.reserve(static_cast<std::size_t>(std::max(0, times)));
    for (int k = 0; k < times; ++k) {
        const auto before = std::chrono::steady_clock::now();
        use(k);
        each.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - before)
                .count());
    }
    return each;
}
