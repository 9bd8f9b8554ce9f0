#pragma once

#include <windows.h>
#include <psapi.h>

#include <cstdint>

// The memory this test process uses, as the system counts it (real under Wine, unlike the
// private bytes). A test that links this links psapi.
struct MemoryUse {
    uint64_t workingSet = 0;
    uint64_t peakWorkingSet = 0;
};

inline MemoryUse CurrentMemoryUse() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return {counters.WorkingSetSize, counters.PeakWorkingSetSize};
}

// How far the peak working set rose above the working set of `before`: at least what a step
// between the two took at its highest (more when an earlier step set the peak).
inline uint64_t PeakRiseSince(const MemoryUse& before) {
    const uint64_t peak = CurrentMemoryUse().peakWorkingSet;
    return peak > before.workingSet ? peak - before.workingSet : 0;
}
