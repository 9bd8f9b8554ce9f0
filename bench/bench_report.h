#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <vector>

// Timing and the one-line report every benchmark prints.

class Stopwatch {
public:
    Stopwatch() {
        QueryPerformanceFrequency(&m_frequency);
        QueryPerformanceCounter(&m_start);
    }
    double Milliseconds() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return 1000.0 * static_cast<double>(now.QuadPart - m_start.QuadPart) /
               static_cast<double>(m_frequency.QuadPart);
    }

private:
    LARGE_INTEGER m_frequency{}, m_start{};
};

// Reads an argument "<name><number>" (name with its "=", e.g. "rounds="): true and the number,
// at least 1, in `value` when `argument` is one; false for any other argument.
inline bool ReadCountArgument(const wchar_t* argument, const wchar_t* name, int& value) {
    const size_t length = std::wcslen(name);
    if (std::wcsncmp(argument, name, length) != 0) return false;
    value = std::max(1, _wtoi(argument + length));
    return true;
}

inline double Median(std::vector<double> samples) {
    if (samples.empty()) return 0.0;
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2.0;
}

inline void PrintBenchLine(const char* name, const std::vector<double>& work, const std::vector<double>& reference,
                           const char* unit) {
    const double workMedian = Median(work), referenceMedian = Median(reference);
    std::printf("bench %s: %.1f %s; reference %.1f %s; ratio %.2f\n", name, workMedian, unit, referenceMedian, unit,
                referenceMedian > 0.0 ? workMedian / referenceMedian : 0.0);
    std::fflush(stdout);
}
