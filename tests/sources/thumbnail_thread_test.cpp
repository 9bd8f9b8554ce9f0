// The thumbnail thread of a list view whose items the test scripts: items that change while the
// thread works on them, and a thread stopped in the middle of a thumbnail.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/test_files.h"
#include "common/unique_handle.h"
#include "imaging/thumbs_list_view.h"
#include "sources/picture_dialog_support.h"
#include "sources/sources_test_support.h"

namespace {

constexpr DWORD kThumbnailWaitMs = 30000;

// A thumbnail view over a list of paths that the test holds. `onThreadPath` runs on the
// thumbnail thread each time it asks for an item's path, after the answer was taken.
class ScriptedView : public CThumsListView {
public:
    explicit ScriptedView(std::vector<std::wstring> paths)
        : m_paths(std::move(paths)), m_images(m_paths.size(), -1), m_viewThread(GetCurrentThreadId()) {}
    ~ScriptedView() override { StopWorker(); }

    std::wstring ItemPath(int index) override {
        std::wstring path;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            if (index < 0 || static_cast<size_t>(index) >= m_paths.size()) return L"???";
            path = m_paths[index];
        }
        if (GetCurrentThreadId() != m_viewThread && onThreadPath) onThreadPath(index, path);
        return path;
    }
    void SetItemImage(int index, int imageIndex) override {
        std::lock_guard<std::mutex> lock(m_lock);
        if (index >= 0 && static_cast<size_t>(index) < m_images.size()) m_images[index] = imageIndex;
    }
    int ItemImage(int index) override {
        std::lock_guard<std::mutex> lock(m_lock);
        return index >= 0 && static_cast<size_t>(index) < m_images.size() ? m_images[index] : -1;
    }
    int ItemIndexOf(const std::wstring& path) override {
        std::lock_guard<std::mutex> lock(m_lock);
        for (size_t i = 0; i < m_paths.size(); ++i) {
            if (m_paths[i] == path) return static_cast<int>(i);
        }
        return -1;
    }

    // The first two items change places, with their thumbnail states, as when the list changes.
    void SwapFirstTwo() {
        std::lock_guard<std::mutex> lock(m_lock);
        std::swap(m_paths[0], m_paths[1]);
        std::swap(m_images[0], m_images[1]);
    }
    // The thumbnail state of the item that shows `path`.
    int ImageOf(const std::wstring& path) {
        std::lock_guard<std::mutex> lock(m_lock);
        for (size_t i = 0; i < m_paths.size(); ++i) {
            if (m_paths[i] == path) return m_images[i];
        }
        return -3;
    }

    std::function<void(int, const std::wstring&)> onThreadPath;  // set before the thread starts

private:
    std::mutex m_lock;
    std::vector<std::wstring> m_paths;
    std::vector<int> m_images;
    const DWORD m_viewThread;
};

CThumsListView* g_hostedView = nullptr;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && g_hostedView != nullptr) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == LVN_GETDISPINFOW) g_hostedView->OnGetDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(lParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A visible window with an owner-data list view in icon mode, its items given by `view`.
class HostWindow {
public:
    HostWindow(ScriptedView& view, int itemCount) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = HostProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"OrbelinThumbnailTestHost";
        RegisterClassW(&windowClass);
        g_hostedView = &view;
        m_window = CreateWindowExW(0, windowClass.lpszClassName, L"thumbnails", WS_POPUP | WS_VISIBLE, 0, 0, 700, 400,
                                   nullptr, nullptr, windowClass.hInstance, nullptr);
        m_list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_ICON | LVS_OWNERDATA, 0, 0, 700, 400,
                                 m_window, nullptr, windowClass.hInstance, nullptr);
        SendMessageW(m_list, LVM_SETITEMCOUNT, itemCount, 0);
    }
    ~HostWindow() {
        if (m_window != nullptr) DestroyWindow(m_window);
        g_hostedView = nullptr;
    }
    HWND List() const { return m_list; }

private:
    HWND m_window = nullptr;
    HWND m_list = nullptr;
};

class ThumbnailThreadTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        OleInitialize(nullptr);
    }

    std::wstring Picture(const wchar_t* name, uint32_t argb) {
        const std::wstring path = m_folder / name;
        EXPECT_TRUE(WriteSolidPng(path, 100, 80, argb));
        return path;
    }

    TestFolder m_folder{L"thumbnail_thread"};
};

TEST_F(ThumbnailThreadTest, AnItemThatChangesBetweenCheckAndMakeIsMadeAgainNotLeftBlank) {
    const std::wstring first = Picture(L"a.png", 0xFFC02020);
    const std::wstring second = Picture(L"b.png", 0xFF2020C0);
    ScriptedView view({first, second});
    // The thread has just found `first` at item 0 when the list changes under it.
    std::atomic<bool> swapped{false};
    HWND list = nullptr;
    view.onThreadPath = [&](int index, const std::wstring& path) {
        if (index == 0 && path == first && !swapped.exchange(true)) {
            view.SwapFirstTwo();
            InvalidateRect(list, nullptr, TRUE);
        }
    };
    HostWindow host(view, 2);
    list = host.List();
    view.Attach(list);
    view.SetCellSize(128);
    view.UseIconView();

    EXPECT_TRUE(WaitUntil([&] { return view.ImageOf(first) >= 0 && view.ImageOf(second) >= 0; }, kThumbnailWaitMs))
        << "thumbnail states: first " << view.ImageOf(first) << ", second " << view.ImageOf(second);
    EXPECT_TRUE(swapped);
    EXPECT_NE(view.ImageOf(first), view.ImageOf(second));
    EXPECT_EQ(ImageList_GetImageCount(view.ImageList()), 2);
    view.StopWorker();
}

// A thread ended by force in the middle of a thumbnail would keep what it holds (the decoding
// turn the displays need) for ever. Stopping waits for the thumbnail instead, however long it
// takes; here it takes longer than the few seconds after which the thread used to be killed.
TEST_F(ThumbnailThreadTest, StoppingWaitsForTheThumbnailUnderWayInsteadOfEndingTheThread) {
    const std::wstring picture = Picture(L"slow.png", 0xFF20C020);
    ScriptedView view({picture});
    std::mutex decodingTurn;  // stands for a lock that the thread holds while it decodes
    UniqueHandle entered(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<bool> finished{false};
    std::atomic<bool> blocked{false};
    view.onThreadPath = [&](int, const std::wstring&) {
        if (blocked.exchange(true)) return;
        std::lock_guard<std::mutex> turn(decodingTurn);
        SetEvent(entered.Get());
        WaitForSingleObject(release.Get(), INFINITE);
        finished = true;
    };
    HostWindow host(view, 1);
    view.Attach(host.List());
    view.SetCellSize(128);
    view.UseIconView();
    ASSERT_TRUE(WaitUntil([&] { return WaitForSingleObject(entered.Get(), 0) == WAIT_OBJECT_0; }, kThumbnailWaitMs));

    std::thread releaser([&] {
        Sleep(6000);
        SetEvent(release.Get());
    });
    view.StopWorker();
    releaser.join();
    EXPECT_TRUE(finished) << "the thread was ended in the middle of its work";
    EXPECT_FALSE(view.WorkerRunning());
    const bool turnFree = decodingTurn.try_lock();
    EXPECT_TRUE(turnFree) << "the lock of the ended thread is held for ever";
    if (turnFree) decodingTurn.unlock();
}

}  // namespace
