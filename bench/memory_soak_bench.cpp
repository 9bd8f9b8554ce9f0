// The memory a display holds after it has shown 1,000 pictures against after 10: the working set
// and the page-file use of the process (GetProcessMemoryInfo), in megabytes. Each picture is
// decoded into a texture picture and taken by the scene with a frame, as the display's worker and
// frame timer do, only without waiting for the rotation.
// Arguments: picture files to cycle through, optionally "pictures=<n>" (1000).
#include <windows.h>
#include <psapi.h>

#include <cwchar>
#include <string>
#include <vector>

#include "bench_report.h"
#include "display/win_alpha_uhr.h"
#include "settings/ini_file.h"

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

void PumpFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
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
    wchar_t settings[MAX_PATH];
    GetTempPathW(MAX_PATH, settings);
    wcscat(settings, L"orbelin_memory_soak_bench.ini");
    SetSettingsPath(settings);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = L"OrbelinMemorySoakBench";
    RegisterClassW(&windowClass);
    HWND host = CreateWindowExW(0, windowClass.lpszClassName, L"host", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr,
                                nullptr, nullptr, nullptr);
    CWinAlphaUhr::SetRenderHostWindow(host);
    CWinAlphaUhr display;
    display.CreateDisplay(400, nullptr);
    PumpFor(500);

    const auto showPictures = [&](int count, int& shown) {
        for (int i = 0; i < count; ++i, ++shown) {
            display.ShowPicture(files[static_cast<size_t>(shown) % files.size()]);
            const int taken = display.Scene().PicturesTaken();
            const DWORD start = GetTickCount();
            while (display.Scene().PicturesTaken() == taken && GetTickCount() - start < 5000) PumpFor(5);
        }
    };
    int shown = 0;
    showPictures(10, shown);
    PumpFor(500);
    const MemoryUse afterTen = CurrentMemoryUse();
    showPictures(pictureCount - 10, shown);
    PumpFor(500);
    const MemoryUse afterAll = CurrentMemoryUse();
    const std::string workingSet = "display_working_set_after_" + std::to_string(pictureCount) + "_pictures";
    const std::string pagefile = "display_pagefile_after_" + std::to_string(pictureCount) + "_pictures";
    PrintBenchLine(workingSet.c_str(), {afterAll.workingSetMb}, {afterTen.workingSetMb}, "MB");
    PrintBenchLine(pagefile.c_str(), {afterAll.pagefileMb}, {afterTen.pagefileMb}, "MB");
    display.StopWorker();
    DestroyWindow(host);
    DeleteFileW(settings);
    return 0;
}
