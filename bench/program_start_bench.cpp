// Start to first frame: from the start of the process to the first frame that its display
// presents, for the real Orbelin.exe (a portable copy with a settings file of its own: the sample
// pictures, always on top) against the bare program, which creates the same kind of window,
// OpenGL context and pbuffer and presents one frame of the same size. The rounds start the two
// in turns, after one start of each to warm the file cache. Measured for a usual start (the
// settings window stays hidden) and for a first start (it shows by itself). Then the medians of
// the steps seen from outside: the main window, the display window, the first frame (and the
// settings window of a first start).
// The program is the one ORBELIN_EXE names (its Linux path, as the tests take it). Arguments:
// optionally "rounds=<n>" (5).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench_report.h"
#include "program_bench.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr const wchar_t* kUsualStart = L"start_tray=1\r\nimg_id=0\r\nm_new_on_top_state=0\r\n";
constexpr const wchar_t* kFirstStart = L"start_tray=0\r\nimg_id=0\r\nm_new_on_top_state=0\r\n";

// Milliseconds from the start of the process; -1 for what was not seen.
struct StartSteps {
    double mainWindow = -1;
    double displayWindow = -1;
    double firstFrame = -1;
    double settingsShown = -1;
};

HWND FindWindowOf(DWORD processId, const wchar_t* className, const wchar_t* title) {
    for (HWND window = FindWindowExW(nullptr, nullptr, className, title); window != nullptr;
         window = FindWindowExW(nullptr, window, className, title)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId) return window;
    }
    return nullptr;
}

// Starts the program and looks every millisecond until its first frame (and, with
// `settingsShows`, its visible settings window) was seen; then ends it.
StartSteps TimeStart(const std::wstring& program, const std::wstring& arguments, const wchar_t* displayClass,
                     bool settingsShows) {
    StartSteps steps;
    Stopwatch clock;
    RunningProgram running(program, arguments);
    const DWORD processId = running.ProcessId();
    while (clock.Milliseconds() < kStartTimeoutMs && running.IsRunning()) {
        const double now = clock.Milliseconds();
        if (steps.mainWindow < 0 && FindWindowOf(processId, L"Orbelin", L"Orbelin") != nullptr) steps.mainWindow = now;
        HWND display = FindDisplayWindowOf(processId, displayClass);
        if (steps.displayWindow < 0 && display != nullptr) steps.displayWindow = now;
        if (steps.firstFrame < 0 && HasPresentedFrame(display)) steps.firstFrame = now;
        if (settingsShows && steps.settingsShown < 0) {
            HWND dialog = FindWindowOf(processId, L"#32770", nullptr);
            if (dialog != nullptr && IsWindowVisible(dialog)) steps.settingsShown = now;
        }
        if (steps.firstFrame >= 0 && (!settingsShows || steps.settingsShown >= 0)) break;
        Sleep(1);
    }
    running.Close(10000);
    return steps;
}

std::vector<double> Column(const std::vector<StartSteps>& rounds, double StartSteps::*step) {
    std::vector<double> values;
    for (const StartSteps& round : rounds) values.push_back(round.*step);
    return values;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int rounds = 5;
    for (int i = 1; i < argc; ++i) ReadCountArgument(argv[i], L"rounds=", rounds);
    TestFolder folder(L"start_bench");
    const std::wstring program = PreparePortableCopy(folder.Path(), kUsualStart);
    if (program.empty()) {
        std::fwprintf(stderr, L"the program (ORBELIN_EXE) cannot be copied\n");
        return 1;
    }
    const std::wstring bare = BareProgramPath();

    TimeStart(program, L"", kProgramDisplayClass, false);
    TimeStart(bare, L"size=400", kBareDisplayClass, false);

    std::vector<StartSteps> usual, first, reference;
    for (int round = 0; round < rounds; ++round) {
        WritePortableSettings(folder.Path(), kUsualStart);
        usual.push_back(TimeStart(program, L"", kProgramDisplayClass, false));
        reference.push_back(TimeStart(bare, L"size=400", kBareDisplayClass, false));
        WritePortableSettings(folder.Path(), kFirstStart);
        first.push_back(TimeStart(program, L"", kProgramDisplayClass, true));
    }
    PrintBenchLine("start_to_first_frame", Column(usual, &StartSteps::firstFrame),
                   Column(reference, &StartSteps::firstFrame), "ms");
    PrintBenchLine("first_start_to_first_frame", Column(first, &StartSteps::firstFrame),
                   Column(reference, &StartSteps::firstFrame), "ms");
    std::printf(
        "start steps (ms after the process start, medians): program: main window %.0f, display window %.0f, "
        "first frame %.0f; first start: display window %.0f, first frame %.0f, settings window shown %.0f; "
        "bare program: display window %.0f, first frame %.0f\n",
        Median(Column(usual, &StartSteps::mainWindow)), Median(Column(usual, &StartSteps::displayWindow)),
        Median(Column(usual, &StartSteps::firstFrame)), Median(Column(first, &StartSteps::displayWindow)),
        Median(Column(first, &StartSteps::firstFrame)), Median(Column(first, &StartSteps::settingsShown)),
        Median(Column(reference, &StartSteps::displayWindow)), Median(Column(reference, &StartSteps::firstFrame)));
    std::fflush(stdout);
    return 0;
}
