// Memory kept: the working set and the private bytes (page-file use) of the real Orbelin.exe (a
// portable copy, settings window hidden) showing one display of 400 pixels after about 100
// picture changes from a folder of photos, against the bare program holding the same OpenGL
// context, pbuffer, textures (three face pictures of 1024 x 1024) and frame buffers. The
// changes come at the pace of the display's quick first changes (one a little over a second
// after the other), which the benchmark keeps going by switching the aspect mode in the settings
// window now and then, as a user may; each picture is decoded, put on its square and uploaded,
// as with any change.
// The program is the one ORBELIN_EXE names (its Linux path, as the tests take it). Arguments: the
// photo folder, optionally "changes=<n>" (100).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench_report.h"
#include "e2e/orbelin_ui.h"
#include "program_bench.h"
#include "settings/settings_text.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
// A quick change comes when a little more than a second passed since the last one.
constexpr DWORD kQuickChangeMs = 1100;
// The quick changes end after the fourth; switching the aspect mode starts them again.
constexpr int kChangesPerSwitch = 3;
constexpr DWORD kSettleMs = 2000;

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int changes = 100;
    std::wstring photos;
    for (int i = 1; i < argc; ++i) {
        if (!ReadCountArgument(argv[i], L"changes=", changes)) photos = argv[i];
    }
    if (photos.empty()) {
        std::fwprintf(stderr, L"usage: program_memory_bench <photo folder> [changes=<n>]\n");
        return 2;
    }
    TestFolder folder(L"memory_bench");
    const std::wstring program =
        PreparePortableCopy(folder.Path(), L"start_tray=1\r\nimg_id=1\r\nm_image_timer=5\r\nm_image_folder=" +
                                               EncodeSettingText(photos) + L"\r\n");
    if (program.empty()) {
        std::fwprintf(stderr, L"the program (ORBELIN_EXE) cannot be copied\n");
        return 1;
    }

    std::optional<ProcessMemory> kept;
    std::optional<ResidentMemory> programKinds, bareKinds;
    {
        RunningProgram running(program);
        HWND dialog = running.WaitForWindow(kDialogClass, kPortableDialogTitle, kStartTimeoutMs);
        if (WaitForFirstFrame(running, kProgramDisplayClass, kStartTimeoutMs) == nullptr || dialog == nullptr) {
            std::fprintf(stderr, "the program did not show its display\n");
            return 1;
        }
        const DialogDriver driver(dialog);
        for (int change = 0; change < changes; change += kChangesPerSwitch) {
            driver.ChooseEntry(kAspectCombo, (change / kChangesPerSwitch) % 2);
            Sleep(kChangesPerSwitch * kQuickChangeMs);
            if ((change / kChangesPerSwitch) % 10 == 9) {
                const std::optional<ProcessMemory> now = MemoryOfProcess(running.ProcessId());
                if (now) {
                    std::fprintf(stderr, "after about %d changes: %.1f MB, %.1f MB\n", change + kChangesPerSwitch,
                                 now->workingSetMb, now->pagefileMb);
                }
            }
        }
        Sleep(kSettleMs);
        kept = MemoryOfProcess(running.ProcessId());
        programKinds = ResidentMemoryOf(folder.Path());
    }
    std::optional<ProcessMemory> bareKept;
    {
        RunningProgram bare(BareProgramPath(), L"size=400 textures=3");
        if (WaitForFirstFrame(bare, kBareDisplayClass, kStartTimeoutMs) == nullptr) return 1;
        Sleep(kSettleMs);
        bareKept = MemoryOfProcess(bare.ProcessId());
        bareKinds = ResidentMemoryOf(BareProgramPath());
    }
    if (!kept || !bareKept) {
        std::fprintf(stderr, "the memory of a process cannot be read\n");
        return 1;
    }
    const std::string suffix = "_after_" + std::to_string(changes) + "_changes";
    PrintBenchLine(("working_set" + suffix).c_str(), {kept->workingSetMb}, {bareKept->workingSetMb}, "MB");
    PrintBenchLine(("private_bytes" + suffix).c_str(), {kept->pagefileMb}, {bareKept->pagefileMb}, "MB");
    if (programKinds && bareKinds) {
        std::printf("resident memory by kind (MB): ");
        PrintResidentMemory("program", *programKinds);
        PrintResidentMemory("; bare program", *bareKinds);
        std::printf("\n");
        std::fflush(stdout);
    }
    return 0;
}
