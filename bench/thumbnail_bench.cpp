// Time until the first 8 visible thumbnails of large JPEG files are in the list view's image
// list (the thumbnail thread: shell sources tried, the program's decode reduced onto the cell,
// handing over to the view) against decoding the same 8 files whole with GDI+, alternating in one
// process.
// Arguments: the picture files (8 are used, repeated when fewer), then optionally "rounds=<n>".

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench_report.h"
#include "common/message_pump.h"
#include "imaging/picture_holder.h"
#include "imaging/thumbs_list_view.h"

namespace {

constexpr int kVisibleItems = 8;
constexpr int kCell = 128;

// The list view's items: fixed paths with their thumbnail states.
class BenchListView : public CThumsListView {
public:
    explicit BenchListView(std::vector<std::wstring> paths)
        : m_paths(std::move(paths)), m_images(std::make_unique<std::atomic<int>[]>(m_paths.size())) {
        ResetItemImages();
    }
    ~BenchListView() override { StopWorker(); }

    std::wstring ItemPath(int index) override {
        return index >= 0 && index < static_cast<int>(m_paths.size()) ? m_paths[index] : L"???";
    }
    void SetItemImage(int index, int image) override {
        if (index >= 0 && index < static_cast<int>(m_paths.size())) m_images[index] = image;
    }
    int ItemImage(int index) override {
        return index >= 0 && index < static_cast<int>(m_paths.size()) ? m_images[index].load() : -1;
    }
    void ResetItemImages() override {
        for (size_t i = 0; i < m_paths.size(); ++i) m_images[i] = -1;
    }
    bool AllMade() const {
        for (size_t i = 0; i < m_paths.size(); ++i) {
            if (m_images[i] < 0) return false;
        }
        return true;
    }

private:
    std::vector<std::wstring> m_paths;
    std::unique_ptr<std::atomic<int>[]> m_images;  // written by the thumbnail thread
};

BenchListView* g_view = nullptr;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && g_view != nullptr) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == LVN_GETDISPINFOW) g_view->OnGetDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(lParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Milliseconds until every item has its thumbnail; negative when they do not come in 60 s.
double TimeToThumbnails(HWND host, const std::vector<std::wstring>& paths) {
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | LVS_ICON | LVS_OWNERDATA, 0, 0, 900,
                                700, host, nullptr, GetModuleHandleW(nullptr), nullptr);
    auto view = std::make_unique<BenchListView>(paths);
    g_view = view.get();
    Stopwatch time;
    view->SetCellSize(kCell);
    view->Attach(list);
    SendMessageW(list, LVM_SETITEMCOUNT, paths.size(), 0);
    view->UseIconView();
    double elapsed = -1.0;
    // Asked often, so that the time measured is the thread's, not the polling's.
    if (WaitUntil([&] { return view->AllMade(); }, 60000, 5)) elapsed = time.Milliseconds();
    view.reset();
    g_view = nullptr;
    DestroyWindow(list);
    return elapsed;
}

double TimeToDecode(const std::vector<std::wstring>& paths) {
    Stopwatch time;
    for (const std::wstring& path : paths) {
        PictureHolder holder;
        if (!holder.LoadFile(path.c_str()) || holder.Width() == 0) return -1.0;
    }
    return time.Milliseconds();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> files;
    int rounds = 3;
    for (int i = 1; i < argc; ++i) {
        if (!ReadCountArgument(argv[i], L"rounds=", rounds)) files.push_back(argv[i]);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: thumbnail_bench <picture files> [rounds=<n>]\n");
        return 2;
    }
    std::vector<std::wstring> paths;
    for (int i = 0; i < kVisibleItems; ++i) paths.push_back(files[i % files.size()]);

    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW hostClass{};
    hostClass.lpfnWndProc = HostProc;
    hostClass.hInstance = GetModuleHandleW(nullptr);
    hostClass.lpszClassName = L"ThumbnailBenchHost";
    RegisterClassW(&hostClass);
    HWND host = CreateWindowExW(0, hostClass.lpszClassName, L"thumbnail bench", WS_POPUP | WS_VISIBLE, 0, 0, 900, 700,
                                nullptr, nullptr, hostClass.hInstance, nullptr);

    TimeToDecode(paths);  // warm-up: codecs and the file cache
    std::vector<double> work, reference;
    for (int round = 0; round < rounds; ++round) {
        const double thumbnails = TimeToThumbnails(host, paths);
        const double decode = TimeToDecode(paths);
        if (thumbnails < 0 || decode < 0) {
            std::fprintf(stderr, "round %d failed (thumbnails %.0f ms, decode %.0f ms)\n", round, thumbnails, decode);
            return 1;
        }
        work.push_back(thumbnails);
        reference.push_back(decode);
    }
    PrintBenchLine("first_8_thumbnails_12mp_jpeg", work, reference, "ms");
    DestroyWindow(host);
    return 0;
}
