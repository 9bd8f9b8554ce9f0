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

#include "bench_display.h"
#include "bench_report.h"
#include "common/process_flags.h"
#include "display/display_window.h"
#include "settings/app_config.h"

namespace {

// Creates a display of the folder and pumps its messages until its scene took a picture.
double MillisecondsToFirstPicture(const std::wstring& folder) {
    GlobalAppConfig().imageFolder.Hold(folder);
    auto display = std::make_unique<CWinAlphaUhr>();
    display->Config().pictureSource.Hold(1);
    Stopwatch clock;
    display->CreateDisplay(200, nullptr);
    while (display->Scene().PicturesTaken() == 0 && clock.Milliseconds() < 120000) PumpMessagesFor(1);
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
    BenchDisplayHost host(L"first_picture_bench");

    std::vector<double> large, small;
    MillisecondsToFirstPicture(folders[1]);  // warm up: GDI+, the sample pictures, the file cache
    for (int round = 0; round < rounds; ++round) {
        large.push_back(MillisecondsToFirstPicture(folders[0]));
        small.push_back(MillisecondsToFirstPicture(folders[1]));
    }
    PrintBenchLine("first_picture_20000_tree", large, small, "ms");
    return 0;
}
