#pragma once
// Timing helpers the benchmark's measures share.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

using BenchClock = std::chrono::steady_clock;

inline double MsSince(BenchClock::time_point start) {
    return std::chrono::duration<double, std::milli>(BenchClock::now() - start).count();
}

// The median of the figures, 0 when there are none.
inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Runs xxd on the file with its output to /dev/null (or counted through a pipe) and returns the
// milliseconds it took; -1 when xxd is not there or failed.
double RunXxd(const std::string& file, size_t* outputBytes);
