// Time from a display's appearance to its first picture, for a folder tree of many pictures
// against a tree of one picture, alternating in one process. The display searches its tree a
// slice at a time and shows the first picture it finds at once, so a large tree should cost
// about as much as a small one.
// Arguments: the large tree's folder, the small tree's folder, optionally "rounds=<n>".
#include <windows.h>

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "bench_report.h"
#include "common/process_flags.h"
#include "display/win_alpha_uhr.h"
#include "settings/app_config.h"
#include "settings/ini_file.h"

namespace {

// Creates a display of the folder and pumps its messages until its scene took a picture.
double MillisecondsToFirstPicture(const std::wstring& folder) {
    GlobalAppConfig().imageFolder.Hold(folder);
    auto display = std::make_unique<CWinAlphaUhr>();
    display->Config().pictureSource.Hold(1);
    Stopwatch clock;
    display->CreateDisplay(200, nullptr);
    while (display->Scene().PicturesTaken() == 0 && clock.Milliseconds() < 120000) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    }
    const double elapsed = clock.Milliseconds();
    display->StopWorker();
    return elapsed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int rounds = 5;
    std::vector<std::wstring> folders;
    for (int i = 1; i < argc; ++i) {
        if (!ReadCountArgument(argv[i], L"rounds=", rounds)) folders.push_back(argv[i]);
    }
    if (folders.size() != 2) {
        std::fwprintf(stderr, L"usage: first_picture_bench <large tree> <small tree> [rounds=<n>]\n");
        return 2;
    }
    wchar_t settings[MAX_PATH];
    GetTempPathW(MAX_PATH, settings);
    wcscat(settings, L"orbelin_first_picture_bench.ini");
    SetSettingsPath(settings);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = L"OrbelinFirstPictureBench";
    RegisterClassW(&windowClass);
    HWND host = CreateWindowExW(0, windowClass.lpszClassName, L"host", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr,
                                nullptr, nullptr, nullptr);
    CWinAlphaUhr::SetRenderHostWindow(host);

    std::vector<double> large, small;
    MillisecondsToFirstPicture(folders[1]);  // warm up: GDI+, the sample pictures, the file cache
    for (int round = 0; round < rounds; ++round) {
        large.push_back(MillisecondsToFirstPicture(folders[0]));
        small.push_back(MillisecondsToFirstPicture(folders[1]));
    }
    PrintBenchLine("first_picture_20000_tree", large, small, "ms");
    DestroyWindow(host);
    DeleteFileW(settings);
    return 0;
}
