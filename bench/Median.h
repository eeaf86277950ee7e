#pragma once

// The median wall time of a few runs of one piece of work, in seconds.

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

inline double medianSeconds(int runs, const std::function<void()> &body)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        body();
        times.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
