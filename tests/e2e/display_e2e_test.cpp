#include <gtest/gtest.h>

#include <memory>

#include "e2e/program_driver.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;

class DisplayE2eTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(BuiltProgramPath().empty()) << "ORBELIN_EXE is not set"; }
    PerUserSettingsGuard m_perUserSettings;
    TestFolder m_folder{L"display_e2e"};
};

TEST_F(DisplayE2eTest, EmptySettingsShowOneLayeredDisplayAtTheDefaultPlace) {
    const std::wstring program = CopyProgramTo(m_folder.Path(), L"Orbelin_portable.exe");
    RunningProgram orbelin(program);
    ASSERT_TRUE(orbelin.Started());
    HWND display = orbelin.WaitForWindow(L"Brimwhistle-Clock___QRWERREQWR", nullptr, kStartTimeoutMs);
    ASSERT_NE(display, nullptr) << "no display window";

    // The first composed frame gives the window its square size.
    RECT rect{};
    for (int wait = 0; wait < 100; ++wait) {
        GetWindowRect(display, &rect);
        if (rect.bottom - rect.top == 400) break;
        Sleep(50);
    }
    EXPECT_EQ(rect.right - rect.left, 400);
    EXPECT_EQ(rect.bottom - rect.top, 400);
    const int centredLeft =
        (GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN)) / 2 - 200;
    EXPECT_EQ(rect.left, centredLeft);
    EXPECT_EQ(rect.top, 100);
    EXPECT_TRUE(IsWindowVisible(display));
    EXPECT_EQ(GetWindowLongW(display, GWL_EXSTYLE) & ~WS_EX_TOPMOST, 0x80080);
    EXPECT_EQ(ReadIniValue(m_folder / L"Orbelin.ini", L"Program", L"start_tray"), L"1");

    // A second start says hello and ends without counting as a start.
    RunningProgram second(program);
    EXPECT_EQ(second.WaitForExit(kStartTimeoutMs), std::optional<DWORD>(45054));
    EXPECT_EQ(ReadIniValue(m_folder / L"Orbelin.ini", L"Program", L"start_tray"), L"1");
    EXPECT_TRUE(IsWindow(display));

    // Closing the main window ends the program, its worker included.
    EXPECT_EQ(orbelin.Close(15000), std::optional<DWORD>(0));
}

// The display's first frame comes before the settings dialog is made: on a first start the
// dialog then shows by itself, after the frame.
TEST_F(DisplayE2eTest, TheFirstFrameComesBeforeTheSettingsDialog) {
    RunningProgram orbelin(CopyProgramTo(m_folder.Path(), L"Orbelin_portable.exe"));
    ASSERT_TRUE(orbelin.Started());
    const auto hasWindowOfClass = [&](const wchar_t* className, bool framed) {
        for (HWND window : orbelin.TopLevelWindows()) {
            wchar_t name[64] = L"";
            GetClassNameW(window, name, 64);
            if (lstrcmpW(name, className) != 0) continue;
            RECT rect{};
            // The first composed frame gives a display window its square size.
            if (!framed || (GetWindowRect(window, &rect) && rect.bottom - rect.top == rect.right - rect.left)) {
                return true;
            }
        }
        return false;
    };
    // Each round looks for the frame first: a dialog seen in the round that also sees the frame
    // came after it.
    bool framed = false;
    bool dialogFirst = false;
    const DWORD start = GetTickCount();
    while (!framed && GetTickCount() - start < kStartTimeoutMs && orbelin.IsRunning()) {
        framed = hasWindowOfClass(L"Brimwhistle-Clock___QRWERREQWR", true);
        if (!framed && hasWindowOfClass(L"#32770", false)) dialogFirst = true;
        Sleep(2);
    }
    EXPECT_TRUE(framed) << "the display presented no frame";
    EXPECT_FALSE(dialogFirst) << "the settings dialog was made before the display's first frame";
    EXPECT_NE(orbelin.WaitForVisibleWindow(L"#32770", kStartTimeoutMs), nullptr) << "the first start shows no dialog";
    EXPECT_EQ(orbelin.Close(15000), std::optional<DWORD>(0));
}

TEST_F(DisplayE2eTest, StoredPlacementAndStartCountAreUsed) {
    ASSERT_TRUE(WriteFileBytes(m_folder / L"Orbelin.ini",
                               Utf16FileBytes(L"[Program]\r\ncx=256\r\npoint_x=30\r\npoint_y=40\r\nstart_tray=4\r\n")));
    RunningProgram orbelin(CopyProgramTo(m_folder.Path(), L"Orbelin_portable.exe"));
    HWND display = orbelin.WaitForWindow(L"Brimwhistle-Clock___QRWERREQWR", nullptr, kStartTimeoutMs);
    ASSERT_NE(display, nullptr);
    RECT rect{};
    for (int wait = 0; wait < 100; ++wait) {
        GetWindowRect(display, &rect);
        if (rect.bottom - rect.top == 256) break;
        Sleep(50);
    }
    EXPECT_EQ(rect.left, 30);
    EXPECT_EQ(rect.top, 40);
    EXPECT_EQ(rect.right - rect.left, 256);
    EXPECT_EQ(ReadIniValue(m_folder / L"Orbelin.ini", L"Program", L"start_tray"), L"5");
    EXPECT_EQ(orbelin.Close(15000), std::optional<DWORD>(0));
}

}  // namespace

namespace {

// A desktop display is a pop-up owned by a go-between window that the desktop host holds.
bool IsAttachedTo(HWND display, HWND host) {
    HWND goBetween = GetWindow(display, GW_OWNER);
    return goBetween != nullptr && GetAncestor(goBetween, GA_PARENT) == host;
}

HWND WaitForAttachment(RunningProgram& orbelin, HWND host, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    do {
        HWND display = orbelin.WaitForWindow(L"Brimwhistle-Clock___QRWERREQWR", nullptr, 100);
        // Owned windows are top-level windows too: the display is found among the program's.
        if (display != nullptr && IsAttachedTo(display, host)) return display;
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

// The window of the shell fixture that holds the desktop's icon view: "Program Manager", or in the
// split layout the "WorkerW" window that took the view over.
HWND WaitForDesktopHost(RunningProgram& shell, bool workerShape) {
    if (!workerShape) return shell.WaitForWindow(L"Progman", L"Program Manager", kStartTimeoutMs);
    HWND found = nullptr;
    const DWORD start = GetTickCount();
    while (found == nullptr && GetTickCount() - start < kStartTimeoutMs) {
        for (HWND window : shell.TopLevelWindows()) {
            wchar_t className[32] = L"";
            GetClassNameW(window, className, 32);
            if (lstrcmpW(className, L"WorkerW") == 0 &&
                FindWindowExW(window, nullptr, L"SHELLDLL_DefView", nullptr) != nullptr) {
                found = window;
            }
        }
        if (found == nullptr) Sleep(50);
    }
    return found;
}

TEST_F(DisplayE2eTest, OnlyOnTheDesktopFollowsTheShell) {
    ASSERT_TRUE(WriteFileBytes(m_folder / L"Orbelin.ini",
                               Utf16FileBytes(L"[Program]\r\nm_new_on_top_state=2\r\nstart_tray=1\r\n")));
    const std::wstring shellProgram = FixtureProgramPath(L"desktop_shell.exe");
    // The classic desktop, and the split one of Windows 10 and 11 with a wallpaper program.
    for (const bool workerShape : {false, true}) {
        SCOPED_TRACE(workerShape ? "icon view in a WorkerW window" : "icon view in Program Manager");
        const std::wstring shape = workerShape ? L"workerw" : L"";
        auto shell = std::make_unique<RunningProgram>(shellProgram, shape);
        ASSERT_TRUE(shell->Started());
        HWND host = WaitForDesktopHost(*shell, workerShape);
        ASSERT_NE(host, nullptr);

        RunningProgram orbelin(CopyProgramTo(m_folder.Path(), L"Orbelin_portable.exe"));
        ASSERT_TRUE(orbelin.Started());
        HWND display = WaitForAttachment(orbelin, host, kStartTimeoutMs);
        ASSERT_NE(display, nullptr) << "the display did not sit on the desktop";
        EXPECT_EQ(GetWindowLongW(display, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

        // The shell crashes and a new one starts: the display comes back under the new desktop.
        TerminateProcess(OpenProcess(PROCESS_TERMINATE, FALSE, shell->ProcessId()), 1);
        shell->WaitForExit(5000);
        shell = std::make_unique<RunningProgram>(shellProgram, shape);
        HWND newHost = WaitForDesktopHost(*shell, workerShape);
        ASSERT_NE(newHost, nullptr);
        EXPECT_NE(WaitForAttachment(orbelin, newHost, 5000), nullptr) << "the display did not follow the new desktop";

        EXPECT_EQ(orbelin.Close(15000), std::optional<DWORD>(0));
        shell->Close(5000);
    }
}

}  // namespace

#include <shellapi.h>

namespace {

// TrayIconPresent comes from the program driver.
TEST_F(DisplayE2eTest, TrayIconComesBackWhenTheShellLosesIt) {
    RunningProgram orbelin(CopyProgramTo(m_folder.Path(), L"Orbelin_portable.exe"));
    HWND mainWindow = orbelin.WaitForWindow(L"Orbelin", L"Orbelin", kStartTimeoutMs);
    ASSERT_NE(mainWindow, nullptr);
    ASSERT_NE(orbelin.WaitForWindow(L"Brimwhistle-Clock___QRWERREQWR", nullptr, kStartTimeoutMs), nullptr);
    // The icon comes with the start, after the display's first frame.
    EXPECT_TRUE(WaitUntil([&] { return TrayIconPresent(mainWindow); }, kStartTimeoutMs));

    // The icon is lost behind the program's back (as when the taskbar restarts).
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = mainWindow;
    data.uID = 107;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
    EXPECT_FALSE(TrayIconPresent(mainWindow));
    bool back = false;
    for (int wait = 0; wait < 80 && !back; ++wait) {
        Sleep(100);
        back = TrayIconPresent(mainWindow);
    }
    EXPECT_TRUE(back) << "the watchdog did not put the icon back within 8 seconds";

    EXPECT_EQ(orbelin.Close(15000), std::optional<DWORD>(0));
    EXPECT_FALSE(TrayIconPresent(mainWindow)) << "the icon outlived the program";
}

}  // namespace

#include <iostream>

namespace {

// A restarted taskbar announces itself with "TaskbarCreated" to every top-level window: the icon
// comes back at once, without waiting for the five-second watchdog.
TEST_F(DisplayE2eTest, TrayIconComesBackWhenTheTaskbarAnnouncesItself) {
    RunningProgram orbelin(CopyProgramTo(m_folder.Path(), L"Orbelin_portable.exe"));
    HWND mainWindow = orbelin.WaitForWindow(L"Orbelin", L"Orbelin", kStartTimeoutMs);
    ASSERT_NE(mainWindow, nullptr);
    ASSERT_NE(orbelin.WaitForWindow(L"Brimwhistle-Clock___QRWERREQWR", nullptr, kStartTimeoutMs), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return TrayIconPresent(mainWindow); }, 5000));
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");

    // Three rounds, each much shorter than the watchdog's period, so the watchdog cannot have
    // brought the icon back in all of them.
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof(data);
        data.hWnd = mainWindow;
        data.uID = 107;
        ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
        ASSERT_FALSE(TrayIconPresent(mainWindow));
        const DWORD announced = GetTickCount();
        PostMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return TrayIconPresent(mainWindow); }, 1500)) << "the icon did not come back";
        std::cout << "icon back " << GetTickCount() - announced << " ms after the announcement\n";
    }
    EXPECT_EQ(orbelin.Close(15000), std::optional<DWORD>(0));
}

}  // namespace
