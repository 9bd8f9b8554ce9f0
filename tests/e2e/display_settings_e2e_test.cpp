// The settings dialog hands each change to the running display: checked on what the display does
// (its window, its frames as the PNG snapshot shows them), not only on the key the dialog writes.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/message_box_watcher.h"
#include "common/shell_open_recorder.h"
#include "e2e/orbelin_ui.h"
#include "e2e/program_driver.h"
#include "imaging/gdiplus_api.h"
#include "imaging/picture_holder.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 15000;
constexpr DWORD kChangeTimeoutMs = 5000;

// A decoded snapshot: ARGB pixels, row by row.
struct Snapshot {
    UINT width = 0;
    UINT height = 0;
    std::vector<GpArgb> pixels;

    GpArgb At(UINT x, UINT y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    int CountIf(const std::function<bool(GpArgb)>& test) const {
        int count = 0;
        for (GpArgb pixel : pixels) count += test(pixel) ? 1 : 0;
        return count;
    }
};

class DisplaySettingsE2eTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(BuiltProgramPath().empty()) << "ORBELIN_EXE is not set"; }
    void TearDown() override { DeleteFileW(SnapshotPath().c_str()); }

    std::unique_ptr<RunningProgram> Start(const std::wstring& settingsLines, const std::wstring& arguments = L"") {
        auto program = std::make_unique<RunningProgram>(PreparePortableCopy(m_folder.Path(), settingsLines), arguments);
        if (!program->Started()) return program;
        m_dialog = program->WaitForWindow(kDialogClass, kPortableDialogTitle, kStartTimeoutMs);
        m_display = program->WaitForWindow(kDisplayWindowClass, nullptr, kStartTimeoutMs);
        return program;
    }
    std::wstring SettingsFile() const { return m_folder / L"Orbelin.ini"; }
    std::wstring Value(const wchar_t* key) const { return ReadIniValue(SettingsFile(), L"Program", key); }

    // Presses "PNG" and reads the snapshot the program saved and opened; nothing when none came.
    std::optional<Snapshot> TakeSnapshot() {
        DeleteFileW(SnapshotPath().c_str());
        DialogDriver(m_dialog).Click(kPngButton);
        ++m_snapshots;
        if (m_opener.WaitForOpened(m_snapshots, 10000).size() < m_snapshots) return std::nullopt;
        PictureHolder picture;
        if (!picture.LoadFile(SnapshotPath().c_str()) || picture.Image() == nullptr) return std::nullopt;
        Snapshot snapshot;
        snapshot.width = picture.Width();
        snapshot.height = picture.Height();
        snapshot.pixels.resize(static_cast<size_t>(snapshot.width) * snapshot.height);
        auto* bitmap = reinterpret_cast<GpBitmap*>(picture.Image());
        for (UINT y = 0; y < snapshot.height; ++y) {
            for (UINT x = 0; x < snapshot.width; ++x) Gdiplus().bitmapGetPixel(bitmap, x, y, &snapshot.pixels[y * snapshot.width + x]);
        }
        return snapshot;
    }

    PerUserSettingsGuard m_perUserSettings;
    TestFolder m_folder{L"display_settings_e2e"};
    ShellOpenRecorder m_opener{{L".png"}};
    size_t m_snapshots = 0;
    HWND m_dialog = nullptr;
    HWND m_display = nullptr;
};

bool Differs(GpArgb a, GpArgb b) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int difference = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (difference > 24 || difference < -24) return true;
    }
    return false;
}

// The share of the object's pixels (those visible in either snapshot) that changed between two.
double ChangedShare(const Snapshot& before, const Snapshot& after) {
    int object = 0, changed = 0;
    for (size_t i = 0; i < before.pixels.size() && i < after.pixels.size(); ++i) {
        if ((before.pixels[i] >> 24) == 0 && (after.pixels[i] >> 24) == 0) continue;
        ++object;
        if (Differs(before.pixels[i], after.pixels[i])) ++changed;
    }
    return object == 0 ? 0.0 : static_cast<double>(changed) / object;
}

TEST_F(DisplaySettingsE2eTest, OpacityReachesTheFramesAsTheirConstantAlpha) {
    auto program = Start(L"start_tray=1\r\ncx=200\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_NE(m_display, nullptr);
    const DialogDriver dialog(m_dialog);
    const struct {
        int opacity;
        GpArgb alpha;
    } cases[] = {{40, 102}, {100, 255}, {10, 25}};
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.opacity);
        dialog.MoveSlider(kOpacitySlider, testCase.opacity);
        const std::optional<Snapshot> snapshot = TakeSnapshot();
        ASSERT_TRUE(snapshot.has_value()) << "no snapshot";
        ASSERT_EQ(snapshot->width, 200u);
        // Every visible pixel of the opaque object carries the display's opacity.
        const int visible = snapshot->CountIf([](GpArgb pixel) { return (pixel >> 24) != 0; });
        const int withOpacity = snapshot->CountIf([&](GpArgb pixel) { return (pixel >> 24) == testCase.alpha; });
        EXPECT_GT(visible, 200 * 200 / 10) << "the object is missing";
        EXPECT_EQ(withOpacity, visible);
        EXPECT_EQ(snapshot->At(0, 0) >> 24, 0u) << "the ground is transparent";
    }
    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

TEST_F(DisplaySettingsE2eTest, RotationSpeedReachesTheObject) {
    // Sample pictures change rarely with the longest interval, so only the motion changes frames.
    auto program = Start(L"start_tray=1\r\ncx=200\r\nm_image_timer=60\r\nm_rotate_speed=1\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_NE(m_display, nullptr);
    const DialogDriver dialog(m_dialog);
    Sleep(5000);  // the four quick sample changes after the start are over
    const auto changeOverASecond = [&]() -> double {
        const std::optional<Snapshot> first = TakeSnapshot();
        Sleep(1000);
        const std::optional<Snapshot> second = TakeSnapshot();
        if (!first || !second) {
            ADD_FAILURE() << "no snapshot";
            return -1;
        }
        return ChangedShare(*first, *second);
    };
    const double slow = changeOverASecond();
    dialog.MoveSlider(kSpeedSlider, 100);
    EXPECT_EQ(Value(L"m_rotate_speed"), L"100");
    const double fast = changeOverASecond();
    std::cout << "share of the object changed in a second: speed 1 " << slow << ", speed 100 " << fast << "\n";
    // Measured here: about 0.1 at speed 1 (the edges of the slowly turning object) and all of it at
    // speed 100.
    EXPECT_LT(slow, 0.35) << "at speed 1 the object hardly moves";
    EXPECT_GT(fast, 0.7) << "the new speed did not reach the object";
    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

TEST_F(DisplaySettingsE2eTest, TheRotatingSquareMakesTheWindowSquareAndKeepsTheSamples) {
    auto program = Start(L"start_tray=1\r\ncx=240\r\nm_clock_3d_type=3\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_NE(m_display, nullptr);
    const DialogDriver dialog(m_dialog);
    ASSERT_TRUE(WaitUntil([&] { return WindowRect(m_display).bottom - WindowRect(m_display).top == 240; },
                          kStartTimeoutMs));
    WritePrivateProfileStringW(L"Program", L"img_id", nullptr, SettingsFile().c_str());

    // Type 1 reopens the render target at the next frame: the window stays a square of the
    // display's size, the source is written, and the sample pictures come back onto the square.
    dialog.ChooseEntry(kObjectCombo, 1);
    EXPECT_EQ(Value(L"m_clock_3d_type"), L"1");
    EXPECT_EQ(WaitForSettingValue(SettingsFile(), L"img_id", L"0", kChangeTimeoutMs), L"0");
    const RECT rect = WindowRect(m_display);
    EXPECT_EQ(rect.right - rect.left, 240);
    EXPECT_EQ(rect.bottom - rect.top, 240);
    const std::optional<Snapshot> snapshot = TakeSnapshot();
    ASSERT_TRUE(snapshot.has_value());
    EXPECT_EQ(snapshot->width, 240u);
    // The samples are colourful photographs; a square without its texture would be plain.
    const GpArgb centre = snapshot->At(120, 120);
    const int distinct = snapshot->CountIf([&](GpArgb pixel) { return (pixel >> 24) != 0 && Differs(pixel, centre); });
    EXPECT_GT(distinct, 240 * 240 / 20) << "the square shows no picture after its target reopened";
    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

// A desktop display is a pop-up owned by a go-between window that the desktop host holds.
bool IsAttachedTo(HWND display, HWND host) {
    HWND goBetween = GetWindow(display, GW_OWNER);
    return goBetween != nullptr && GetAncestor(goBetween, GA_PARENT) == host;
}

TEST_F(DisplaySettingsE2eTest, StackingChoicesMoveTheWindowBetweenTheTopAndTheDesktop) {
    RunningProgram shell(FixtureProgramPath(L"desktop_shell.exe"));
    ASSERT_TRUE(shell.Started());
    HWND host = shell.WaitForWindow(L"Progman", L"Program Manager", kStartTimeoutMs);
    ASSERT_NE(host, nullptr);
    auto program = Start(L"start_tray=1\r\nm_new_on_top_state=0\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_NE(m_display, nullptr);
    const DialogDriver dialog(m_dialog);
    const auto currentDisplay = [&] { return program->WaitForWindow(kDisplayWindowClass, nullptr, 100); };

    const struct {
        int entry;
        bool onTheDesktop;
    } choices[] = {{2, true}, {0, false}, {3, true}, {1, false}};
    for (const auto& choice : choices) {
        SCOPED_TRACE(choice.entry);
        dialog.ChooseEntry(kStackingCombo, choice.entry);
        EXPECT_EQ(Value(L"m_new_on_top_state"), std::to_wstring(choice.entry));
        HWND display = nullptr;
        EXPECT_TRUE(WaitUntil(
            [&] {
                display = currentDisplay();
                if (display == nullptr || !IsWindowVisible(display)) return false;
                const bool topmost = (GetWindowLongW(display, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
                return choice.onTheDesktop ? IsAttachedTo(display, host) && !topmost
                                           : GetWindow(display, GW_OWNER) == nullptr && topmost;
            },
            kChangeTimeoutMs))
            << (choice.onTheDesktop ? "the display did not move onto the desktop" : "the display did not come on top");
    }
    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
    shell.Close(5000);
}

TEST_F(DisplaySettingsE2eTest, MiddleClickOnTheDisplayBringsTheDialogToTheFront) {
    auto program = Start(L"start_tray=1\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_NE(m_display, nullptr);
    ASSERT_FALSE(IsWindowVisible(m_dialog));
    OtherForegroundWindow other;
    ASSERT_TRUE(other.TakeForeground());

    PostMessageW(m_display, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(20, 20));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(m_dialog) != FALSE; }, kChangeTimeoutMs));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == m_dialog; }, kChangeTimeoutMs))
        << "the dialog is not in front";
    // On its way to the front the dialog passes through the topmost band: it is in front as soon
    // as it shows, and leaves the band a moment later.
    EXPECT_TRUE(
        WaitUntil([&] { return (GetWindowLongW(m_dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0; }, kChangeTimeoutMs))
        << "the dialog stayed topmost";
    EXPECT_EQ(GetForegroundWindow(), m_dialog) << "the dialog left the front";
    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

// The user's Disable is the whole program's: with a second display in use both hide and both
// come back.
TEST_F(DisplaySettingsE2eTest, DisableHidesEveryDisplay) {
    auto program = std::make_unique<RunningProgram>(
        PreparePortableCopy(m_folder.Path(), L"m_clock_cnt=2\r\nstart_tray=1\r\ncx=150\r\n"), L"-bg");
    ASSERT_TRUE(program->Started());
    std::vector<SeenMessageBox> seen;
    std::vector<HWND> recorded;
    // The second display announces itself while the settings load.
    ASSERT_TRUE(WaitUntil(
        [&] {
            AnswerMessageBoxes(program->ProcessId(), recorded, seen);
            return Value(L"start_tray") == L"2";
        },
        kStartTimeoutMs));
    ASSERT_EQ(seen.size(), 1u);
    m_dialog = program->WaitForWindow(kDialogClass, kPortableDialogTitle, kStartTimeoutMs);
    ASSERT_NE(m_dialog, nullptr);
    const auto displays = [&] {
        std::vector<HWND> found;
        for (HWND window : program->TopLevelWindows()) {
            wchar_t className[64] = L"";
            GetClassNameW(window, className, 64);
            if (lstrcmpW(className, kDisplayWindowClass) == 0) found.push_back(window);
        }
        return found;
    };
    const auto visibleDisplays = [&] {
        int visible = 0;
        for (HWND display : displays()) visible += IsWindowVisible(display) ? 1 : 0;
        return visible;
    };
    ASSERT_TRUE(WaitUntil([&] { return visibleDisplays() == 2; }, kStartTimeoutMs)) << "two displays run";

    const DialogDriver dialog(m_dialog);
    dialog.Click(kDisableCheck);
    EXPECT_EQ(Value(L"disable"), L"1");
    EXPECT_TRUE(WaitUntil([&] { return visibleDisplays() == 0; }, kChangeTimeoutMs)) << "a display stayed visible";
    Sleep(500);
    EXPECT_EQ(visibleDisplays(), 0) << "a display came back while disabled";
    dialog.Click(kDisableCheck);
    EXPECT_TRUE(WaitUntil([&] { return visibleDisplays() == 2; }, kChangeTimeoutMs)) << "not every display came back";
    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

// With minimising into the tray switched off the dialog minimises to the taskbar; a click on the
// tray icon then brings it back instead of hiding it.
TEST_F(DisplaySettingsE2eTest, TheTrayIconRestoresAMinimisedDialog) {
    auto program = Start(L"start_tray=1\r\ntray_if_minimize=0\r\n");
    ASSERT_NE(m_dialog, nullptr);
    HWND mainWindow = program->WaitForWindow(kMainWindowClass, kMainWindowTitle, kStartTimeoutMs);
    ASSERT_NE(mainWindow, nullptr);
    LeftClickTrayIcon(mainWindow);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == m_dialog; }, kChangeTimeoutMs));
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(m_dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0, SMTO_NORMAL, kChangeTimeoutMs, &answer));
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(m_dialog) != FALSE; }, kChangeTimeoutMs)) << "not minimised";

    OtherForegroundWindow other;
    other.TakeForeground();
    LeftClickTrayIcon(mainWindow);
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(m_dialog) && IsWindowVisible(m_dialog); }, kChangeTimeoutMs))
        << "the click did not restore the dialog";
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == m_dialog; }, kChangeTimeoutMs))
        << "the restored dialog is not in front";
    // The next click hides it as before.
    LeftClickTrayIcon(mainWindow);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_dialog); }, kChangeTimeoutMs));
    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

// A program in full screen in front of a display: the display hides and costs next to nothing
// until the program leaves; a window over half the screen changes nothing.
TEST_F(DisplaySettingsE2eTest, AFullScreenProgramInFrontHidesTheDisplay) {
    auto program = Start(L"start_tray=1\r\n");
    ASSERT_NE(m_display, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(m_display) != FALSE; }, kStartTimeoutMs));
    const std::wstring fixture = FixtureProgramPath(L"full_screen_window.exe");
    {
        RunningProgram halfScreen(fixture, L"half");
        ASSERT_NE(halfScreen.WaitForWindow(L"OrbelinFullScreenFixture", nullptr, kStartTimeoutMs), nullptr);
        Sleep(1500);
        EXPECT_TRUE(IsWindowVisible(m_display)) << "a window over half the screen hid the display";
    }
    // What the display costs while it is shown, for comparison.
    const std::optional<double> shownStart = LinuxProcessorTimeMs(m_folder.Path());
    Sleep(3000);
    const std::optional<double> shownEnd = LinuxProcessorTimeMs(m_folder.Path());

    auto fullScreen = std::make_unique<RunningProgram>(fixture);
    ASSERT_NE(fullScreen->WaitForWindow(L"OrbelinFullScreenFixture", nullptr, kStartTimeoutMs), nullptr);
    const DWORD shownAt = GetTickCount();
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_display); }, 3000)) << "the display stayed in front";
    std::cout << "display hidden " << GetTickCount() - shownAt << " ms after the full-screen window appeared\n";
    const std::optional<double> hiddenStart = LinuxProcessorTimeMs(m_folder.Path());
    Sleep(3000);
    const std::optional<double> hiddenEnd = LinuxProcessorTimeMs(m_folder.Path());
    EXPECT_FALSE(IsWindowVisible(m_display)) << "the display came back while the program was in full screen";
    ASSERT_TRUE(shownStart && shownEnd && hiddenStart && hiddenEnd) << "the program's processor time cannot be read";
    const double shownCost = *shownEnd - *shownStart;
    const double hiddenCost = *hiddenEnd - *hiddenStart;
    std::cout << "processor time over 3 s: shown " << shownCost << " ms, hidden " << hiddenCost << " ms\n";
    EXPECT_LT(hiddenCost, 150.0) << "a hidden display kept the processor busy";

    fullScreen.reset();  // the program leaves full screen
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(m_display) != FALSE; }, 3000)) << "the display did not come back";
    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

// On the desktop a display is out of sight behind any maximised window that covers it.
TEST_F(DisplaySettingsE2eTest, AMaximisedWindowHidesADesktopDisplay) {
    RunningProgram shell(FixtureProgramPath(L"desktop_shell.exe"));
    HWND host = shell.WaitForWindow(L"Progman", L"Program Manager", kStartTimeoutMs);
    ASSERT_NE(host, nullptr);
    auto program = Start(L"start_tray=1\r\nm_new_on_top_state=2\r\ncx=200\r\npoint_x=300\r\npoint_y=300\r\n");
    ASSERT_NE(m_display, nullptr);
    HWND display = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            display = program->WaitForWindow(kDisplayWindowClass, nullptr, 100);
            return display != nullptr && IsAttachedTo(display, host) && IsWindowVisible(display);
        },
        kStartTimeoutMs));
    {
        RunningProgram maximized(FixtureProgramPath(L"full_screen_window.exe"), L"maximized");
        HWND window = maximized.WaitForWindow(L"OrbelinFullScreenFixture", nullptr, kStartTimeoutMs);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return IsZoomed(window) != FALSE; }, kChangeTimeoutMs));
        // The maximised window need not be in front: any window over a desktop display hides it.
        OtherForegroundWindow other;
        other.TakeForeground();
        EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(display); }, 3000)) << "the covered display kept drawing";
        Sleep(600);
        EXPECT_FALSE(IsWindowVisible(display));
        // Minimised, the window covers nothing any more.
        ShowWindow(window, SW_MINIMIZE);
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(display) != FALSE; }, 3000));
    }
    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
    shell.Close(5000);
}

}  // namespace
