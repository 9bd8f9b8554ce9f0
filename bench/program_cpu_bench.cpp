// Processor time while shown: the real Orbelin.exe (a portable copy at its default settings,
// started as it is after its first start, so the settings window stays hidden) showing its
// display for a while, against the bare program running the bare frame loop at the same frame
// rate (a frame at most every 31 ms, timed as the program's frame timer does) and size. The
// rounds run the two in turns, each started afresh and given two seconds to settle; the time is
// that of the Linux process (another process's GetProcessTimes answers nothing under Wine), per
// ten seconds. Then where each one's time went, by Linux thread: the main thread, the threads of
// the OpenGL driver (llvmpipe) and the rest (the program's worker and tray watchdog, and Wine's
// own threads).
// The program is the one ORBELIN_EXE names (its Linux path, as the tests take it). Arguments:
// optionally "seconds=<n>" (10), "rounds=<n>" (2).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench_report.h"
#include "program_bench.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kSettleMs = 2000;

// Processor milliseconds and waits by kind of thread: the main thread, the OpenGL driver's
// threads, and the others (the program's worker and tray watchdog, Wine's own threads).
struct ThreadShares {
    double main = 0;
    double driver = 0;
    double other = 0;
    double mainWaits = 0;
    double otherWaits = 0;
};

ThreadShares SharesOf(const std::vector<LinuxThreadTime>& threads) {
    ThreadShares shares;
    for (const LinuxThreadTime& thread : threads) {
        if (thread.isMainThread) {
            shares.main += thread.processorMs;
            shares.mainWaits += static_cast<double>(thread.waits);
        } else if (thread.name.rfind("llvmpipe", 0) == 0) {
            shares.driver += thread.processorMs;
        } else {
            shares.other += thread.processorMs;
            shares.otherWaits += static_cast<double>(thread.waits);
        }
    }
    return shares;
}

// Processor milliseconds per ten seconds of a program shown for `seconds`; -1 when its time
// cannot be read. `processPath` finds the Linux process.
double MeasureShown(const std::wstring& program, const std::wstring& arguments, const wchar_t* displayClass,
                    const std::wstring& processPath, DWORD seconds, ThreadShares& shares) {
    RunningProgram running(program, arguments);
    if (WaitForFirstFrame(running, displayClass, kStartTimeoutMs) == nullptr) return -1;
    Sleep(kSettleMs);
    const std::vector<LinuxThreadTime> before = LinuxThreadProcessorTimes(processPath);
    const std::optional<double> start = LinuxProcessorTimeMs(processPath);
    Sleep(seconds * 1000);
    const std::optional<double> end = LinuxProcessorTimeMs(processPath);
    const std::vector<LinuxThreadTime> after = LinuxThreadProcessorTimes(processPath);
    running.Close(10000);
    if (!start || !end) return -1;
    const double scale = 10.0 / seconds;
    const ThreadShares first = SharesOf(before), last = SharesOf(after);
    shares.main += (last.main - first.main) * scale;
    shares.driver += (last.driver - first.driver) * scale;
    shares.other += (last.other - first.other) * scale;
    shares.mainWaits += (last.mainWaits - first.mainWaits) * scale;
    shares.otherWaits += (last.otherWaits - first.otherWaits) * scale;
    return (*end - *start) * scale;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int seconds = 10;
    int rounds = 2;
    for (int i = 1; i < argc; ++i) {
        if (!ReadCountArgument(argv[i], L"seconds=", seconds)) ReadCountArgument(argv[i], L"rounds=", rounds);
    }
    TestFolder folder(L"cpu_bench");
    const std::wstring program = PreparePortableCopy(folder.Path(), L"");
    if (program.empty()) {
        std::fwprintf(stderr, L"the program (ORBELIN_EXE) cannot be copied\n");
        return 1;
    }
    const std::wstring bare = BareProgramPath();

    std::vector<double> work, reference;
    ThreadShares workShares, referenceShares;
    for (int round = 0; round < rounds; ++round) {
        // Default settings, except that this is not the first start.
        WritePortableSettings(folder.Path(), L"start_tray=1\r\n");
        work.push_back(
            MeasureShown(program, L"", kProgramDisplayClass, folder.Path(), static_cast<DWORD>(seconds), workShares));
        reference.push_back(MeasureShown(bare, L"size=400 loop", kBareDisplayClass, bare, static_cast<DWORD>(seconds),
                                         referenceShares));
    }
    PrintBenchLine("processor_time_shown_per_10s", work, reference, "ms");
    std::printf(
        "processor time by thread (ms per 10 s, mean of %d): program: main %.0f, OpenGL driver %.0f, others %.0f; "
        "bare program: main %.0f, OpenGL driver %.0f, others %.0f\n",
        rounds, workShares.main / rounds, workShares.driver / rounds, workShares.other / rounds,
        referenceShares.main / rounds, referenceShares.driver / rounds, referenceShares.other / rounds);
    // Every wake-up of a thread, and every call that waits for the wineserver's answer, is a wait.
    std::printf(
        "waits per 10 s (mean of %d): program: main thread %.0f, worker, tray watchdog and others %.0f; bare "
        "program: main thread %.0f, others %.0f\n",
        rounds, workShares.mainWaits / rounds, workShares.otherWaits / rounds, referenceShares.mainWaits / rounds,
        referenceShares.otherWaits / rounds);
    std::fflush(stdout);
    return 0;
}
