// Time and its summary for the benchmarks: the performance counter read in
// microseconds or milliseconds, and the order statistics their tables print.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace kestrel::bench {

// Microseconds on the performance counter from an arbitrary origin. A double
// holds them to well under a microsecond for years of uptime, so differences
// need no tick arithmetic.
inline double NowUs() {
    static const double usPerTick = [] {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return 1e6 / static_cast<double>(frequency.QuadPart);
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * usPerTick;
}

inline double NowMs() { return NowUs() / 1000.0; }

// All zero for no samples.
struct Summary {
    size_t count = 0;
    double median = 0;
    double p90 = 0;
    double min = 0;
    double max = 0;
};

inline Summary Summarize(std::vector<double> samples) {
    Summary s;
    s.count = samples.size();
    if (samples.empty()) return s;
    std::sort(samples.begin(), samples.end());
    s.median = samples[samples.size() / 2];
    s.p90 = samples[std::min(samples.size() - 1, samples.size() * 9 / 10)];
    s.min = samples.front();
    s.max = samples.back();
    return s;
}

}  // namespace kestrel::bench
