// Processor time of a running display while it is shown and while it is hidden (the user's
// "Disable"): a hidden display draws nothing, its frame timer wakes rarely and its worker decodes
// nothing. The reference is the shown display, measured in the same run: once with the sample
// pictures, once rotating real photos every 5 seconds.
// Arguments: optionally "seconds=<n>" (10) and a folder of photos for the second measurement.
#include <windows.h>

#include <cwchar>
#include <vector>

#include "bench_display.h"
#include "bench_report.h"
#include "common/process_flags.h"
#include "display/display_window.h"
#include "settings/app_config.h"

namespace {

double ProcessCpuMilliseconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto toMs = [](const FILETIME& time) {
        return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 10000.0;
    };
    return toMs(kernel) + toMs(user);
}

double CpuWhilePumping(DWORD milliseconds) {
    const double start = ProcessCpuMilliseconds();
    // Sleeps until a message comes, as the program's message loop does.
    PumpMessagesFor(milliseconds);
    return ProcessCpuMilliseconds() - start;
}


// Shown and hidden in turns; processor milliseconds per ten seconds of each.
void MeasureShownAndHidden(CWinAlphaUhr& display, DWORD seconds, const char* name) {
    CpuWhilePumping(1000);
    std::vector<double> hidden, shown;
    for (int round = 0; round < 2; ++round) {
        g_displaysDisabled = false;
        display.ApplyVisibility();
        shown.push_back(CpuWhilePumping(seconds * 500));
        g_displaysDisabled = true;
        display.ApplyVisibility();
        hidden.push_back(CpuWhilePumping(seconds * 500));
    }
    for (double& value : shown) value *= 10000.0 / (seconds * 500);
    for (double& value : hidden) value *= 10000.0 / (seconds * 500);
    PrintBenchLine(name, hidden, shown, "ms");
    g_displaysDisabled = false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int secondsArgument = 10;
    std::wstring photoFolder;
    for (int i = 1; i < argc; ++i) {
        if (!ReadCountArgument(argv[i], L"seconds=", secondsArgument)) photoFolder = argv[i];
    }
    const DWORD seconds = static_cast<DWORD>(secondsArgument);
    BenchDisplayHost host(L"cpu_bench");
    {
        CWinAlphaUhr display;
        display.CreateDisplay(400, nullptr);
        MeasureShownAndHidden(display, seconds, "display_cpu_hidden_per_10s");
        display.StopWorker();
    }
    if (!photoFolder.empty()) {
        GlobalAppConfig().imageFolder.Hold(photoFolder);
        GlobalAppConfig().imageTimer.Hold(5);
        CWinAlphaUhr display;
        display.Config().pictureSource.Hold(1);
        display.CreateDisplay(400, nullptr);
        MeasureShownAndHidden(display, seconds, "display_cpu_hidden_photos_per_10s");
        display.StopWorker();
    }
    return 0;
}
