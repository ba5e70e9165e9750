#pragma once
// Timing helpers for the benchmark programs: repeated runs, median and worst.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

inline double NowMicroseconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

struct Summary {
    double median;
    double worst;
};

inline Summary Summarize(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples.back()};
}

// The value below which `fraction` of the samples lie (0.5 the median, 0.99 the p99).
inline double Percentile(std::vector<double> samples, double fraction) {
    std::sort(samples.begin(), samples.end());
    return samples[static_cast<size_t>(fraction * static_cast<double>(samples.size() - 1))];
}

// The median and the p99, as a figure's median and worst.
inline Summary MedianAndP99(const std::vector<double>& samples) {
    return {Percentile(samples, 0.5), Percentile(samples, 0.99)};
}

// One line a figure, in the form the report script collects: name, median, worst, unit, aim.
inline void Report(const char* figure, Summary s, const char* unit, const char* aim) {
    std::printf("%s\t%.3f\t%.3f\t%s\t%s\n", figure, s.median, s.worst, unit, aim);
}

// As Report, the samples' median and worst; nothing when there are none.
inline void ReportSamples(const char* figure, const std::vector<double>& samples, const char* unit,
                          const char* aim) {
    if (!samples.empty()) {
        Report(figure, Summarize(samples), unit, aim);
    }
}

}  // namespace bench
