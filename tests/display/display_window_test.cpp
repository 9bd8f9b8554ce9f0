#include "display/display_window.h"

#include <gtest/gtest.h>

#include <memory>

#include "common/message_pump.h"
#include "common/process_flags.h"
#include "display/desktop_host.h"
#include "display/library_preload.h"
#include "common/test_files.h"
#include "settings/app_config.h"

namespace {

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

// A display opens its render target at its own size (not at a size it would reopen at), with the
// sample pictures made meanwhile, also while its libraries are still being loaded; asked to, it
// draws its first frame at once rather than when its frame timer fires.
TEST_F(DisplayWindowTest, TheFirstFrameComesAtOnceAtTheDisplaysSize) {
    CWinAlphaUhr display;
    {
        LibraryPreload preload;
        preload.Start();
        HWND window = display.CreateDisplay(160, nullptr);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(display.Scene().TargetWidth(), 160) << "the render target opened at another size";
        EXPECT_EQ(display.FrameCount(), 0);
        display.DrawFrameNow();
        EXPECT_EQ(display.FrameCount(), 1);
        RECT rect{};
        GetWindowRect(window, &rect);
        EXPECT_EQ(rect.bottom - rect.top, 160) << "the frame did not give the window its square size";
    }
    EXPECT_EQ(display.Scene().TargetWidth(), 160);
    for (int slot = 0; slot < 3; ++slot) EXPECT_NE(display.Scene().FaceTexture(slot), 0u) << "face pair " << slot;
    ASSERT_NE(display.Scene().FramePixels(), nullptr);
    EXPECT_EQ(display.Scene().FramePixels()[(80 * 160 + 80) * 4 + 3], 255) << "the object is missing";
    display.StopWorker();
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
    EXPECT_EQ(display.Width(), 128) << "a size below the slider's range is brought into it at creation";
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

// Three small pictures in `folder`, which becomes the picture folder of the settings in force.
bool FillPictureFolder(const TestFolder& folder) {
    for (const wchar_t* name : {L"one.bmp", L"two.bmp", L"three.bmp"}) {
        if (!WriteFileBytes(folder / name, SmallBmp())) return false;
    }
    GlobalAppConfig().imageFolder.Hold(folder.Path());
    return true;
}

TEST_F(DisplayWindowTest, PictureListsComeFromTheFolderInTheSettingsAndTheIndividualList) {
    TestFolder pictures(L"display_pictures");
    CreateDirectoryW((pictures / L"sub").c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(pictures / L"b.bmp", SmallBmp()));
    ASSERT_TRUE(WriteFileBytes(pictures / L"sub\\a.bmp", SmallBmp()));
    ASSERT_TRUE(WriteFileBytes(pictures / L"notes.txt", std::string("not a picture")));
    // The folder of the settings in force is scanned, not one read back from the file (which may
    // have been changed by another copy of the program or by hand).
    TestFolder elsewhere(L"display_elsewhere");
    ASSERT_TRUE(WriteFileBytes(elsewhere / L"other.bmp", SmallBmp()));
    WritePrivateProfileStringW(L"Program", L"m_image_folder", EncodeSettingText(elsewhere.Path()).c_str(),
                               m_settings.c_str());
    GlobalAppConfig().imageFolder.Hold(pictures.Path());

    CWinAlphaUhr display;
    display.CreateDisplay(128, nullptr);
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
    ASSERT_TRUE(FillPictureFolder(pictures));
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

TEST_F(DisplayWindowTest, OnlyPictureFilesThatDecodeReachTheScene) {
    TestFolder folder(L"display_decode");
    const std::wstring picture = folder / L"one.bmp";
    ASSERT_TRUE(WriteFileBytes(picture, SmallBmp()));
    const std::wstring notAPicture = folder / L"not a picture.jpg";
    ASSERT_TRUE(WriteFileBytes(notAPicture, std::string("\xFF\xD8\xFF\xE0 only the start of a JPEG")));
    // The sample pictures: the display's worker hands over no pictures of its own.
    CWinAlphaUhr display;
    ASSERT_NE(display.CreateDisplay(160, nullptr), nullptr);

    // Files that cannot be read or decoded hand nothing over, and say so.
    EXPECT_FALSE(display.ShowPicture(folder / L"missing.png"));
    EXPECT_FALSE(display.ShowPicture(notAPicture));
    EXPECT_TRUE(display.ShowPicture(picture));
    EXPECT_TRUE(display.ShowPicture(picture));  // replaces the first, which is deleted untaken

    const DWORD start = GetTickCount();
    while (display.Scene().PicturesTaken() == 0 && GetTickCount() - start < 10000) PumpMessagesFor(20);
    PumpMessagesFor(200);
    EXPECT_EQ(display.Scene().PicturesTaken(), 1);
    display.StopWorker();
}

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
    ASSERT_TRUE(FillPictureFolder(pictures));
    GlobalAppConfig().imageTimer.Hold(1);
    CWinAlphaUhr display;
    display.Config().pictureSource.Hold(1);
    ASSERT_NE(display.CreateDisplay(200, nullptr), nullptr);
    PumpMessagesFor(4000);  // warm up: lists built, first pictures shown
    const int picturesBefore = display.Scene().PicturesTaken();
    const int framesBefore = display.FrameCount();
    const SIZE_T before = WorkingSet();

    for (int round = 0; round < 5; ++round) {
        RequestPictureListRebuild();  // a loading picture and a rebuilt list each time
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

namespace {

// On Windows the dying shell takes the go-between window and the display it owns along with it;
// Wine destroys neither, so the test does it behind the display's back.
TEST_F(DisplayWindowTest, ADisplayLostWithTheShellComesBackWhenTheModeChanges) {
    auto desktop = std::make_unique<FakeDesktop>();
    CWinAlphaUhr display;
    GlobalAppConfig().stackingMode.Hold(2);  // only on the desktop
    ASSERT_NE(display.CreateDisplay(160, nullptr), nullptr);
    PumpMessagesFor(200);
    HWND lost = display.Window();
    ASSERT_NE(lost, nullptr);
    ASSERT_TRUE(IsDescendant(lost, desktop->Host()));

    // The shell dies and none comes back.
    DestroyWindow(GetWindow(lost, GW_OWNER));
    DestroyWindow(lost);
    desktop.reset();
    PumpMessagesFor(200);
    EXPECT_EQ(CWinAlphaUhr::FromWindow(lost), nullptr) << "the dead window is still registered";

    GlobalAppConfig().stackingMode.Hold(0);
    display.SetStackingMode(0);
    PumpMessagesFor(200);
    ASSERT_NE(display.Window(), nullptr) << "no display window after choosing always on top";
    EXPECT_TRUE(IsWindow(display.Window()));
    EXPECT_EQ(GetParent(display.Window()), nullptr);
    EXPECT_NE(GetWindowLongW(display.Window(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_TRUE(IsWindowVisible(display.Window()));
    EXPECT_EQ(CWinAlphaUhr::FromWindow(display.Window()), &display);

    // A window that dies in always on top is made again at the next frame as well.
    HWND second = display.Window();
    DestroyWindow(second);
    PumpMessagesFor(200);
    ASSERT_NE(display.Window(), nullptr);
    EXPECT_TRUE(IsWindow(display.Window()));
    EXPECT_TRUE(IsWindowVisible(display.Window()));
}

// Whether `window` lies above `other` in the z-order.
bool IsAbove(HWND window, HWND other) {
    for (HWND below = GetWindow(window, GW_HWNDNEXT); below != nullptr; below = GetWindow(below, GW_HWNDNEXT)) {
        if (below == other) return true;
    }
    return false;
}

TEST_F(DisplayWindowTest, AForcedDisplayTakesTheTopBackAtTheNextFrame) {
    const struct {
        int stackingMode;
        bool takesTheTopBack;
    } cases[] = {{1, true}, {0, false}};
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.stackingMode);
        GlobalAppConfig().stackingMode.Hold(testCase.stackingMode);
        CWinAlphaUhr display;
        ASSERT_NE(display.CreateDisplay(160, nullptr), nullptr);
        PumpMessagesFor(150);
        HWND other = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"OrbelinDisplayTestHost", L"other",
                                     WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, GetModuleHandleW(nullptr),
                                     nullptr);
        ASSERT_NE(other, nullptr);
        SetWindowPos(other, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ASSERT_TRUE(IsAbove(other, display.Window()));
        PumpMessagesFor(100);  // a few frames
        EXPECT_EQ(IsAbove(display.Window(), other), testCase.takesTheTopBack);
        DestroyWindow(other);
    }
    GlobalAppConfig().stackingMode.Hold(0);
}

}  // namespace

#include "common/shell_open_recorder.h"
#include "imaging/picture_holder.h"

namespace {

// The snapshot the settings dialog asked for, or nothing when none was written in time.
std::optional<std::pair<UINT, UINT>> WaitForSnapshotSize(DWORD timeoutMs) {
    const std::wstring path = GL3DClock::SnapshotPath();
    const DWORD start = GetTickCount();
    do {
        PumpMessagesFor(20);
        if (!g_snapshotRequest) {
            PictureHolder picture;
            if (picture.LoadFile(path.c_str()) && picture.Image() != nullptr) {
                return std::make_pair(picture.Width(), picture.Height());
            }
        }
    } while (GetTickCount() - start < timeoutMs);
    return std::nullopt;
}

// The snapshot belongs to the display the settings dialog edits, shown or not: a hidden display
// draws that one frame offscreen and shows nothing.
TEST_F(DisplayWindowTest, TheCurrentDisplayTakesTheSnapshotAlsoWhenHidden) {
    ShellOpenRecorder opener({L".png"});
    const std::wstring path = GL3DClock::SnapshotPath();
    CWinAlphaUhr first;
    CWinAlphaUhr second;
    second.SetSlot(1);
    ASSERT_NE(first.CreateDisplay(200, nullptr), nullptr);
    ASSERT_NE(second.CreateDisplay(136, nullptr), nullptr);
    PumpMessagesFor(200);

    const struct {
        int currentSlot;
        bool disabled;
        UINT size;
    } cases[] = {{1, false, 136}, {0, false, 200}, {0, true, 200}, {1, true, 136}};
    size_t opened = 0;
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testing::Message() << "slot " << testCase.currentSlot << (testCase.disabled ? ", hidden" : ""));
        GlobalAppConfig().currentSlot = testCase.currentSlot;
        g_displaysDisabled = testCase.disabled;
        first.ApplyVisibility();
        second.ApplyVisibility();
        PumpMessagesFor(100);
        const int framesBefore = first.FrameCount() + second.FrameCount();
        DeleteFileW(path.c_str());
        g_snapshotRequest = true;
        EXPECT_EQ(WaitForSnapshotSize(5000), std::make_optional(std::make_pair(testCase.size, testCase.size)));
        EXPECT_EQ(opener.WaitForOpened(++opened, 5000).size(), opened) << "the snapshot was not opened";
        if (testCase.disabled) {
            EXPECT_FALSE(IsWindowVisible(first.Window()));
            EXPECT_FALSE(IsWindowVisible(second.Window()));
            EXPECT_EQ(first.FrameCount() + second.FrameCount(), framesBefore) << "a hidden display presented a frame";
        }
    }
    GlobalAppConfig().currentSlot = 0;
    g_displaysDisabled = false;
    DeleteFileW(path.c_str());
}

}  // namespace

#include "display/display_slots.h"

namespace {

// A start that only hands over to the running program ends without making the eight displays
// (their scenes, drawing objects and GDI+ starts).
TEST(DisplaySlots, EndingBeforeAnyDisplayWasMadeMakesNone) {
    ASSERT_FALSE(DisplaySlotsMade()) << "another test made the slot table first";
    StopAllDisplayWorkers();
    ApplyVisibilityOfAllDisplays();
    EXPECT_FALSE(DisplaySlotsMade());
}

}  // namespace

namespace {

// A display on the desktop is out of sight behind a maximised window, whichever window has the
// foreground; a topmost display is not.
TEST_F(DisplayWindowTest, AMaximisedWindowHidesADesktopDisplayOnly) {
    FakeDesktop desktop;
    for (const int stackingMode : {2, 0}) {
        SCOPED_TRACE(stackingMode);
        GlobalAppConfig().stackingMode.Hold(stackingMode);
        CWinAlphaUhr display;
        display.Config().left.Hold(300);
        display.Config().top.Hold(300);
        display.CreateDisplay(160, nullptr);
        PumpMessagesFor(400);
        ASSERT_NE(display.Window(), nullptr);
        ASSERT_TRUE(IsWindowVisible(display.Window()));

        HWND maximized = CreateWindowExW(0, L"OrbelinDisplayTestHost", L"maximised", WS_POPUP, 100, 100, 300, 200,
                                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ShowWindow(maximized, SW_SHOWMAXIMIZED);
        ASSERT_TRUE(IsZoomed(maximized));
        HWND small = CreateWindowExW(0, L"OrbelinDisplayTestHost", L"small", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                     nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetForegroundWindow(small);
        PumpMessagesFor(600);
        EXPECT_EQ(IsWindowVisible(display.Window()) == FALSE, stackingMode == 2);

        ShowWindow(maximized, SW_MINIMIZE);
        PumpMessagesFor(600);
        EXPECT_TRUE(IsWindowVisible(display.Window())) << "the display did not come back";
        DestroyWindow(small);
        DestroyWindow(maximized);
    }
    GlobalAppConfig().stackingMode.Hold(0);
}

}  // namespace

namespace {

// Counts what reaches a display window that changes its place, order or style.
WNDPROC g_displayProcedure = nullptr;
int g_windowChanges = 0;

LRESULT CALLBACK CountingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_WINDOWPOSCHANGING || message == WM_STYLECHANGING) ++g_windowChanges;
    return CallWindowProcW(g_displayProcedure, window, message, wParam, lParam);
}

// The deactivation check applies the visibility ten times a second: a display shown in its place
// with its style is left as it is, one that lost its place on top or its style gets them back.
TEST_F(DisplayWindowTest, ApplyingTheVisibilityTouchesOnlyADisplayOutOfPlace) {
    CWinAlphaUhr display;
    HWND window = display.CreateDisplay(160, nullptr);
    ASSERT_NE(window, nullptr);
    display.ApplyVisibility();
    g_displayProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProcedure)));
    g_windowChanges = 0;
    for (int check = 0; check < 10; ++check) display.ApplyVisibility();
    EXPECT_EQ(g_windowChanges, 0) << "a display in its place was moved in the z-order or restyled";
    EXPECT_TRUE(IsWindowVisible(window));

    // Another window takes the top: the next application puts the display back above it.
    HWND other = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"static", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    ASSERT_NE(GetWindow(window, GW_HWNDPREV), nullptr);
    display.ApplyVisibility();
    EXPECT_EQ(GetWindow(window, GW_HWNDPREV), nullptr) << "the display stayed below the other window";
    EXPECT_GT(g_windowChanges, 0);

    // A style changed behind the display's back comes back too.
    SetWindowLongW(window, GWL_EXSTYLE, GetWindowLongW(window, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    display.ApplyVisibility();
    EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & ~WS_EX_TOPMOST, 0x80080);

    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_displayProcedure));
    DestroyWindow(other);
    display.StopWorker();
}

}  // namespace
