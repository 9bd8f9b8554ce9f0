// The memory a display holds after it has shown 1,000 pictures against after 10: the working set
// and the page-file use of the process (GetProcessMemoryInfo), in megabytes. Each picture is
// decoded into a texture picture and taken by the scene with a frame, as the display's worker and
// frame timer do, only without waiting for the rotation.
// Arguments: picture files to cycle through, optionally "pictures=<n>" (1000).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench_display.h"
#include "bench_report.h"
#include "display/display_window.h"

namespace {

struct MemoryUse {
    double workingSetMb = 0;
    double pagefileMb = 0;
};

MemoryUse CurrentMemoryUse() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return {counters.WorkingSetSize / 1048576.0, counters.PagefileUsage / 1048576.0};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int pictureCount = 1000;
    std::vector<std::wstring> files;
    for (int i = 1; i < argc; ++i) {
        if (!ReadCountArgument(argv[i], L"pictures=", pictureCount)) files.push_back(argv[i]);
    }
    if (files.empty()) {
        std::fwprintf(stderr, L"usage: memory_soak_bench <picture file>... [pictures=<n>]\n");
        return 2;
    }
    BenchDisplayHost host(L"memory_soak_bench");
    CWinAlphaUhr display;
    display.CreateDisplay(400, nullptr);
    PumpMessagesFor(500);

    const auto showPictures = [&](int count, int& shown) {
        for (int i = 0; i < count; ++i, ++shown) {
            display.ShowPicture(files[static_cast<size_t>(shown) % files.size()]);
            const int taken = display.Scene().PicturesTaken();
            const DWORD start = GetTickCount();
            while (display.Scene().PicturesTaken() == taken && GetTickCount() - start < 5000) PumpMessagesFor(5);
        }
    };
    int shown = 0;
    showPictures(10, shown);
    PumpMessagesFor(500);
    const MemoryUse afterTen = CurrentMemoryUse();
    for (int done = 10; done < pictureCount; done += 100) {
        showPictures(std::min(100, pictureCount - done), shown);
        const MemoryUse now = CurrentMemoryUse();
        std::fprintf(stderr, "after %d: %.1f MB, %.1f MB\n", shown, now.workingSetMb, now.pagefileMb);
    }
    PumpMessagesFor(500);
    const MemoryUse afterAll = CurrentMemoryUse();
    const std::string workingSet = "display_working_set_after_" + std::to_string(pictureCount) + "_pictures";
    const std::string pagefile = "display_pagefile_after_" + std::to_string(pictureCount) + "_pictures";
    PrintBenchLine(workingSet.c_str(), {afterAll.workingSetMb}, {afterTen.workingSetMb}, "MB");
    PrintBenchLine(pagefile.c_str(), {afterAll.pagefileMb}, {afterTen.pagefileMb}, "MB");
    display.StopWorker();
    return 0;
}
