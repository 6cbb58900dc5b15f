// The benchmarks' clock: milliseconds from the performance counter, and
// the spread of repeated measurements.
#pragma once
#include <windows.h>

#include <algorithm>
#include <vector>

inline double Now() {
    static const LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

// Median and range over the runs.
struct Spread {
    double median, low, high;
};

inline Spread Of(std::vector<double> v) {
    if (v.empty()) return {-1, -1, -1};
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.front(), v.back()};
}
