#include "display/win_alpha_uhr.h"

#include <gtest/gtest.h>

#include <memory>

#include "common/process_flags.h"
#include "display/desktop_host.h"
#include "common/test_files.h"
#include "settings/app_config.h"

namespace {

void PumpMessagesFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(5);
    }
}

// The hidden main window that hosts the render targets, and a settings file of the test's own.
class DisplayWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"OrbelinDisplayTestHost";
        RegisterClassW(&windowClass);
        m_host = CreateWindowExW(0, L"OrbelinDisplayTestHost", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        CWinAlphaUhr::SetRenderHostWindow(m_host);
        ASSERT_TRUE(WriteFileBytes(m_settings, Utf16FileBytes(L"[Program]\r\n")));
        SetSettingsPath(m_settings);
        g_displaysDisabled = false;
        g_deactivatedState = -1;
    }
    void TearDown() override {
        g_displaysDisabled = false;
        DestroyWindow(m_host);
    }

    HWND m_host = nullptr;
    TestFolder m_folder{L"display"};
    std::wstring m_settings = m_folder / L"Orbelin.ini";
};

TEST_F(DisplayWindowTest, LayeredToolWindowAnimatesTheSamplePictures) {
    auto display = std::make_unique<CWinAlphaUhr>();
    display->Config().left.Hold(50);
    display->Config().top.Hold(60);
    HWND window = display->CreateDisplay(400, nullptr);
    ASSERT_NE(window, nullptr);

    wchar_t className[64] = L"";
    GetClassNameW(window, className, 64);
    EXPECT_STREQ(className, kDisplayWindowClass);
    // Always on top adds WS_EX_TOPMOST to the layered tool window.
    EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & ~WS_EX_TOPMOST, 0x80080);
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & WS_POPUP, static_cast<LONG>(WS_POPUP));
    EXPECT_EQ(GetParent(window), nullptr);

    PumpMessagesFor(1500);
    // A frame at most every 31 ms; a loaded machine makes fewer, never none.
    EXPECT_GT(display->FrameCount(), 10);
    EXPECT_LE(display->FrameCount(), 1500 / 30 + 1);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 50);
    EXPECT_EQ(rect.top, 60);
    EXPECT_EQ(rect.right - rect.left, 400);
    EXPECT_EQ(rect.bottom - rect.top, 400);
    const GL3DClock& scene = display->Scene();
    ASSERT_NE(scene.FramePixels(), nullptr);
    EXPECT_EQ(scene.FramePixels()[(200 * 400 + 200) * 4 + 3], 255) << "the object is opaque in the middle";
    EXPECT_EQ(scene.FramePixels()[3], 0) << "the ground is transparent";

    // Neither WM_CLOSE nor Alt+F4 closes a display.
    SendMessageW(window, WM_CLOSE, 0, 0);
    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpMessagesFor(100);
    EXPECT_TRUE(IsWindow(window));

    display.reset();
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(DisplayWindowTest, FixedPositionLetsTheMouseThrough) {
    CWinAlphaUhr display;
    display.Config().fixedPosition.Hold(1);
    HWND window = display.CreateDisplay(200, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & ~WS_EX_TOPMOST, 0x800A0);
}

TEST_F(DisplayWindowTest, DisabledDisplaysCreateNoWindowAndDrawNothing) {
    g_displaysDisabled = true;
    CWinAlphaUhr display;
    EXPECT_EQ(display.CreateDisplay(300, nullptr), nullptr);
    PumpMessagesFor(300);
    EXPECT_EQ(display.Window(), nullptr);
    EXPECT_EQ(display.FrameCount(), 0);

    g_displaysDisabled = false;
    PumpMessagesFor(300);
    ASSERT_NE(display.Window(), nullptr) << "the frame timer creates the window once enabled";
    EXPECT_TRUE(IsWindowVisible(display.Window()));
}

TEST_F(DisplayWindowTest, SizeChangesAreKeptWithinTheSliderRange) {
    CWinAlphaUhr display;
    display.CreateDisplay(100, nullptr);
    EXPECT_EQ(display.Width(), 100) << "the stored size is used as read at creation";
    display.SetDisplaySize(90);
    EXPECT_EQ(display.Width(), 128);
    display.SetDisplaySize(5000);
    EXPECT_EQ(display.Width(), 1500);
    EXPECT_EQ(display.Height(), 375);
}

}  // namespace

#include "settings/settings_text.h"
#include "sources/individual_list.h"

namespace {

// A 40 x 40 24-bit BMP file.
std::vector<uint8_t> SmallBmp() {
    const int size = 40, stride = 120;
    std::vector<uint8_t> file(54 + stride * size, 0x80);
    const auto put32 = [&file](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(6, 0);
    put32(10, 54);
    put32(14, 40);
    put32(18, size);
    put32(22, size);
    file[26] = 1;
    file[27] = 0;
    file[28] = 24;
    for (size_t i = 29; i < 54; ++i) file[i] = 0;
    return file;
}

// Three small pictures in `folder`, which becomes the display's picture folder in `settings`.
bool FillPictureFolder(const TestFolder& folder, const std::wstring& settings) {
    for (const wchar_t* name : {L"one.bmp", L"two.bmp", L"three.bmp"}) {
        if (!WriteFileBytes(folder / name, SmallBmp())) return false;
    }
    return WritePrivateProfileStringW(L"Program", L"m_image_folder", EncodeSettingText(folder.Path()).c_str(),
                                      settings.c_str()) != FALSE;
}

TEST_F(DisplayWindowTest, PictureListsComeFromTheFolderInTheSettingsAndTheIndividualList) {
    TestFolder pictures(L"display_pictures");
    CreateDirectoryW((pictures / L"sub").c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(pictures / L"b.bmp", SmallBmp()));
    ASSERT_TRUE(WriteFileBytes(pictures / L"sub\\a.bmp", SmallBmp()));
    ASSERT_TRUE(WriteFileBytes(pictures / L"notes.txt", std::string("not a picture")));
    WritePrivateProfileStringW(L"Program", L"m_image_folder", EncodeSettingText(pictures.Path()).c_str(),
                               m_settings.c_str());

    CWinAlphaUhr display;
    EXPECT_EQ(display.BuildPictureList(1),
              (std::vector<std::wstring>{pictures / L"b.bmp", pictures / L"sub\\a.bmp"}));
    EXPECT_TRUE(display.BuildPictureList(0).empty());

    ASSERT_TRUE(SaveIndividualPictures({pictures / L"sub\\a.bmp", pictures / L"notes.txt"}));
    EXPECT_EQ(display.BuildPictureList(2), std::vector<std::wstring>{pictures / L"sub\\a.bmp"});
}

}  // namespace

namespace {

// Stands in for the Windows shell's desktop: "Program Manager" holding the icon view.
class FakeDesktop {
public:
    FakeDesktop() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        for (const wchar_t* name : {L"Progman", L"SHELLDLL_DefView", L"SysListView32"}) {
            windowClass.lpszClassName = name;
            RegisterClassW(&windowClass);
        }
        m_programManager = CreateWindowExW(0, L"Progman", L"Program Manager", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480,
                                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        HWND view = CreateWindowExW(0, L"SHELLDLL_DefView", L"", WS_CHILD | WS_VISIBLE, 0, 0, 640, 480,
                                    m_programManager, nullptr, GetModuleHandleW(nullptr), nullptr);
        CreateWindowExW(0, L"SysListView32", L"FolderView", WS_CHILD | WS_VISIBLE, 0, 0, 640, 480, view, nullptr,
                        GetModuleHandleW(nullptr), nullptr);
    }
    ~FakeDesktop() { DestroyWindow(m_programManager); }
    HWND Host() const { return m_programManager; }

private:
    HWND m_programManager = nullptr;
};

// A desktop display is a pop-up owned by a go-between window that the desktop host holds as a
// child.
bool IsDescendant(HWND window, HWND host) {
    HWND goBetween = GetWindow(window, GW_OWNER);
    return goBetween != nullptr && GetAncestor(goBetween, GA_PARENT) == host;
}

TEST_F(DisplayWindowTest, DesktopModeFollowsTheShellAndTopmostModeLeavesIt) {
    CWinAlphaUhr display;
    GlobalAppConfig().stackingMode.Hold(2);  // only on the desktop
    // No shell: no window, and the frames keep trying without complaint.
    EXPECT_EQ(display.CreateDisplay(160, nullptr), nullptr);
    PumpMessagesFor(200);
    EXPECT_EQ(display.Window(), nullptr);

    auto desktop = std::make_unique<FakeDesktop>();
    PumpMessagesFor(200);
    ASSERT_NE(display.Window(), nullptr);
    EXPECT_TRUE(IsDescendant(display.Window(), desktop->Host()));

    // The shell restarts: the display comes back under the new desktop within a few frames.
    desktop.reset();
    desktop = std::make_unique<FakeDesktop>();
    PumpMessagesFor(200);
    ASSERT_NE(display.Window(), nullptr);
    EXPECT_TRUE(IsDescendant(display.Window(), desktop->Host()));

    // Back to always on top: a window without a parent, topmost.
    GlobalAppConfig().stackingMode.Hold(0);
    display.SetStackingMode(0);
    PumpMessagesFor(200);
    ASSERT_NE(display.Window(), nullptr);
    EXPECT_EQ(GetParent(display.Window()), nullptr);
    EXPECT_NE(GetWindowLongW(display.Window(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

TEST(StackingModeFor, Table) {
    const struct {
        int mode, current, topmost;
        bool forced;
    } cases[] = {{0, 0, 1, false}, {1, 0, 1, true}, {2, 1, 0, false}, {3, 1, 0, true}, {4, 0, 0, false}, {-1, 1, 1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        const StackingMode mode = StackingModeFor(c.mode, c.current);
        EXPECT_EQ(mode.topmostMode, c.topmost);
        EXPECT_EQ(mode.forced, c.forced);
    }
}

}  // namespace

namespace {

TEST_F(DisplayWindowTest, DraggingWithEitherButtonMovesAndSavesThePlacement) {
    CWinAlphaUhr display;
    display.Config().left.Hold(100);
    display.Config().top.Hold(120);
    HWND window = display.CreateDisplay(200, nullptr);
    ASSERT_NE(window, nullptr);
    PumpMessagesFor(200);

    const struct {
        UINT down, up;
        int dx, dy;
    } drags[] = {{WM_LBUTTONDOWN, WM_LBUTTONUP, 20, 35}, {WM_RBUTTONDOWN, WM_RBUTTONUP, -50, 10}};
    int left = 100, top = 120;
    for (const auto& drag : drags) {
        SCOPED_TRACE(drag.down == WM_LBUTTONDOWN ? "left button" : "right button");
        ASSERT_TRUE(SetCursorPos(300, 300));
        SendMessageW(window, drag.down, 0, 0);
        ASSERT_TRUE(SetCursorPos(300 + drag.dx, 300 + drag.dy));
        SendMessageW(window, WM_MOUSEMOVE, 0, 0);
        SendMessageW(window, drag.up, 0, 0);
        left += drag.dx;
        top += drag.dy;
        RECT rect{};
        GetWindowRect(window, &rect);
        EXPECT_EQ(rect.left, left);
        EXPECT_EQ(rect.top, top);
        EXPECT_EQ(ReadIniValue(m_settings, L"Program", L"point_x"), std::to_wstring(left));
        EXPECT_EQ(ReadIniValue(m_settings, L"Program", L"point_y"), std::to_wstring(top));
        EXPECT_EQ(ReadIniValue(m_settings, L"Program", L"cx"), L"200");
    }
    // After the button is up, moving the mouse moves nothing.
    SetCursorPos(10, 10);
    SendMessageW(window, WM_MOUSEMOVE, 0, 0);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, left);
}

TEST_F(DisplayWindowTest, MovesStartedByTheSystemArePinned) {
    CWinAlphaUhr display;
    display.Config().left.Hold(100);
    display.Config().top.Hold(120);
    HWND window = display.CreateDisplay(200, nullptr);
    ASSERT_NE(window, nullptr);
    RECT current{};
    GetWindowRect(window, &current);
    RECT proposed{500, 500, 700, 700};
    SendMessageW(window, WM_MOVING, 0, reinterpret_cast<LPARAM>(&proposed));
    EXPECT_EQ(proposed.left, current.left);
    EXPECT_EQ(proposed.top, current.top);
}

TEST_F(DisplayWindowTest, CreationBringsAFarAwayDisplayHalfBack) {
    CWinAlphaUhr display;
    const int screenLeft = GetSystemMetrics(SM_XVIRTUALSCREEN);
    display.Config().left.Hold(screenLeft - 180);
    display.Config().top.Hold(50);
    HWND window = display.CreateDisplay(200, nullptr);
    ASSERT_NE(window, nullptr);
    RECT rect{};
    GetWindowRect(window, &rect);
    // The window is 200 wide and 50 high (a quarter) until the first frame: half of it may stick out.
    EXPECT_EQ(rect.left, screenLeft - 100);
    EXPECT_EQ(display.Config().left.Value(), screenLeft - 100);
}

}  // namespace

namespace {

TEST_F(DisplayWindowTest, FolderPicturesReachTheScene) {
    TestFolder pictures(L"display_folder");
    ASSERT_TRUE(FillPictureFolder(pictures, m_settings));
    CWinAlphaUhr display;
    display.Config().pictureSource.Hold(1);
    ASSERT_NE(display.CreateDisplay(160, nullptr), nullptr);
    // The loading picture first, then a picture at the second pass and one a second later.
    PumpMessagesFor(2500);
    EXPECT_GE(display.Scene().PicturesTaken(), 2);
    display.StopWorker();
}

}  // namespace

#include "display/deactivation_check.h"

namespace {

TEST_F(DisplayWindowTest, KeyPressHidesTheDisplayUntilTheDelayRanOut) {
    CWinAlphaUhr display;
    HWND window = display.CreateDisplay(160, nullptr);
    ASSERT_NE(window, nullptr);
    AppConfig& app = GlobalAppConfig();
    app.deactivateMode.Hold(2);  // "If pressing a key"
    app.deactivateSeconds.Hold(2);
    ResetDeactivation();
    RunDeactivationCheck(display);
    EXPECT_TRUE(IsWindowVisible(window));

    // A key press (the letter A: virtual key 0x41) hides the display at the next check.
    INPUT key{};
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = 'A';
    ASSERT_EQ(SendInput(1, &key, sizeof(key)), 1u);
    PumpMessagesFor(50);
    RunDeactivationCheck(display);
    key.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &key, sizeof(key));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(g_deactivatedState, 1);

    // Checks every 100 ms: with a delay of two seconds (whole seconds count) it comes back
    // after more than one second and at most about two.
    const DWORD hiddenAt = GetTickCount();
    for (int checks = 0; !IsWindowVisible(window) && checks < 60; ++checks) {
        PumpMessagesFor(100);
        RunDeactivationCheck(display);
    }
    const DWORD hiddenFor = GetTickCount() - hiddenAt;
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_GE(hiddenFor, 1000u);
    EXPECT_LE(hiddenFor, 5000u) << "the display stayed hidden too long";

    app.deactivateMode.Hold(0);
    ResetDeactivation();
}

}  // namespace

#include <psapi.h>

namespace {

SIZE_T WorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.WorkingSetSize;
}

TEST_F(DisplayWindowTest, NoGrowthOverHundredsOfFramesWithPictureChanges) {
    // Under Wine GetGuiResources answers 0 and private bytes are not counted, so a leak shows as
    // working-set growth: every texture picture that is not deleted keeps 4 MB.
    TestFolder pictures(L"display_leak");
    ASSERT_TRUE(FillPictureFolder(pictures, m_settings));
    GlobalAppConfig().imageTimer.Hold(1);
    CWinAlphaUhr display;
    display.Config().pictureSource.Hold(1);
    ASSERT_NE(display.CreateDisplay(200, nullptr), nullptr);
    PumpMessagesFor(4000);  // warm up: lists built, first pictures shown
    const int picturesBefore = display.Scene().PicturesTaken();
    const int framesBefore = display.FrameCount();
    const SIZE_T before = WorkingSet();

    for (int round = 0; round < 5; ++round) {
        g_pictureListRebuildRequest = true;  // a loading picture and a rebuilt list each time
        PumpMessagesFor(2500);
    }
    const SIZE_T after = WorkingSet();
    EXPECT_GE(display.FrameCount() - framesBefore, 150);
    EXPECT_GE(display.Scene().PicturesTaken() - picturesBefore, 8);
    EXPECT_LT(after, before + 12 * 1024 * 1024) << "working set grew from " << before << " to " << after;
    display.StopWorker();
    GlobalAppConfig().imageTimer.Hold(10);
}

}  // namespace
