// The settings dialog of the running program: when it shows itself, how it hides into the tray
// and comes back, and how Exit ends the program.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "e2e/orbelin_ui.h"
#include "e2e/program_driver.h"
#include "e2e/settings_dialog_e2e_fixture.h"

namespace {

TEST_F(SettingsDialogE2eTest, ShowsItselfOnlyOnTheFirstStartWithoutBackgroundOption) {
    const struct {
        const wchar_t* settingsLines;
        const wchar_t* arguments;
        const wchar_t* startCountAfter;
        bool shown;
    } cases[] = {
        {L"", L"", L"1", true},
        {L"", L"-bg", L"1", false},
        {L"start_tray=3\r\n", L"", L"4", false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testing::Message() << "settings \"" << testCase.settingsLines << "\", arguments \""
                                        << testCase.arguments << "\"");
        TestFolder folder(L"first_start");
        RunningProgram program(PreparePortableCopy(folder.Path(), testCase.settingsLines), testCase.arguments);
        ASSERT_TRUE(program.Started());
        HWND dialog = program.WaitForWindow(kDialogClass, kPortableDialogTitle, kStartTimeoutMs);
        ASSERT_NE(dialog, nullptr) << "no settings dialog";
        // The start is counted once the decision about the dialog has been made.
        EXPECT_EQ(
            WaitForSettingValue(folder / L"Orbelin.ini", L"start_tray", testCase.startCountAfter, kStartTimeoutMs),
            testCase.startCountAfter);
        if (testCase.shown) {
            EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }, kChangeTimeoutMs));
            EXPECT_EQ(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "the dialog stayed topmost";
        } else {
            EXPECT_FALSE(IsWindowVisible(dialog));
        }
        // Closing all of the program's windows still ends it with code 0; the dialog only hides.
        EXPECT_EQ(program.Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
    }
}

// The header banner is the largest thing the dialog holds: it is there while the dialog shows and
// let go while the dialog is hidden.
TEST_F(SettingsDialogE2eTest, TheBannerIsHeldOnlyWhileTheDialogShows) {
    auto program = Start(L"start_tray=2\r\n");
    ASSERT_NE(m_dialog, nullptr);
    HWND mainWindow = program->WaitForWindow(kMainWindowClass, kMainWindowTitle, kStartTimeoutMs);
    ASSERT_NE(mainWindow, nullptr);
    HWND banner = GetDlgItem(m_dialog, kBannerImage);
    ASSERT_NE(banner, nullptr);
    const auto bannerImage = [&] {
        DWORD_PTR image = 0xdeadbeef;
        SendMessageTimeoutW(banner, STM_GETIMAGE, IMAGE_BITMAP, 0, SMTO_NORMAL, kChangeTimeoutMs, &image);
        return image;
    };
    EXPECT_FALSE(IsWindowVisible(m_dialog));
    EXPECT_EQ(bannerImage(), 0u) << "the hidden dialog holds its banner";
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        LeftClickTrayIcon(mainWindow);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(m_dialog) != FALSE; }, kChangeTimeoutMs));
        EXPECT_NE(bannerImage(), 0u) << "the shown dialog has no banner";
        LeftClickTrayIcon(mainWindow);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_dialog); }, kChangeTimeoutMs));
        EXPECT_EQ(bannerImage(), 0u) << "the hidden dialog kept its banner";
    }
    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

TEST_F(SettingsDialogE2eTest, ToTrayCloseAndMinimiseHideItAndASecondStartBringsItBack) {
    // tray_if_minimize=1 (the default) sends a minimised dialog into the tray.
    auto program = Start(L"start_tray=2\r\ntray_if_minimize=1\r\n");
    ASSERT_NE(m_dialog, nullptr);
    HWND mainWindow = program->WaitForWindow(kMainWindowClass, kMainWindowTitle, kStartTimeoutMs);
    ASSERT_NE(mainWindow, nullptr);

    // A message of 0 stands for the Escape key pressed in the dialog: the program's message loop
    // lets the dialog turn it into its close command.
    const struct {
        const char* name;
        UINT message;
        WPARAM wParam;
    } hidingCommands[] = {
        {"To-Tray", WM_COMMAND, kToTrayCommand},
        {"close", WM_COMMAND, kCloseCommand},
        {"minimise", WM_SYSCOMMAND, SC_MINIMIZE},
        {"Escape key", 0, 0},
    };
    for (const auto& hiding : hidingCommands) {
        SCOPED_TRACE(hiding.name);
        // Shown by the tray icon, the dialog is the active window, as the commands need.
        LeftClickTrayIcon(mainWindow);
        ASSERT_TRUE(IsWindowVisible(m_dialog)) << "the tray icon did not show the dialog";
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == m_dialog; }, kChangeTimeoutMs));
        if (hiding.message != 0) {
            DWORD_PTR answer = 0;
            ASSERT_TRUE(SendMessageTimeoutW(m_dialog, hiding.message, hiding.wParam, 0, SMTO_NORMAL, kChangeTimeoutMs,
                                            &answer));
        } else {
            INPUT keys[2]{};
            keys[0].type = keys[1].type = INPUT_KEYBOARD;
            keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
            keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
            ASSERT_EQ(SendInput(2, keys, sizeof(INPUT)), 2u);
        }
        EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_dialog); }, kChangeTimeoutMs));
        EXPECT_TRUE(IsWindow(m_dialog)) << "the dialog is hidden, never destroyed";
        EXPECT_FALSE(IsIconic(m_dialog)) << "the dialog went to the taskbar instead of the tray";
    }
    EXPECT_TRUE(IsWindowVisible(m_display)) << "hiding the dialog hid the display";

    // A second start of the same copy, from another window, hands over to this one, which shows
    // the dialog in front of that window.
    OtherForegroundWindow otherWindow;
    ASSERT_TRUE(otherWindow.TakeForeground());
    RunningProgram second(m_folder / L"Orbelin_portable.exe");
    ASSERT_TRUE(second.Started());
    // The second start asks every top-level window, this test's too, whether it is the program's:
    // the test answers meanwhile, as any window does.
    EXPECT_TRUE(WaitUntil([&] { return !second.IsRunning(); }, kStartTimeoutMs));
    EXPECT_EQ(second.WaitForExit(0), std::optional<DWORD>(kAlreadyRunningExitCode));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(m_dialog) != FALSE; }, kChangeTimeoutMs))
        << "the second start did not bring the dialog back";
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == m_dialog; }, kChangeTimeoutMs))
        << "the dialog is not in front";
    // On the way to the front it passes through the topmost band, but does not stay there.
    EXPECT_TRUE(
        WaitUntil([&] { return (GetWindowLongW(m_dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0; }, kChangeTimeoutMs))
        << "the dialog stayed topmost";
    EXPECT_EQ(Value(L"start_tray"), L"3") << "the second start counted as a start";

    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

TEST_F(SettingsDialogE2eTest, ExitHidesTheDisplayFirstAndEndsWithCode1) {
    auto program = Start(L"");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_NE(m_display, nullptr);
    HWND mainWindow = program->WaitForWindow(kMainWindowClass, kMainWindowTitle, kStartTimeoutMs);
    ASSERT_NE(mainWindow, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(m_dialog) && IsWindowVisible(m_display); }, kStartTimeoutMs));
    // The dialog takes commands while it is the active window, as when the user clicks on it.
    SetForegroundWindow(m_dialog);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == m_dialog; }, kChangeTimeoutMs));

    DialogDriver(m_dialog).PostCommand(kExitCommand);
    EXPECT_TRUE(DisplayHiddenBeforeTheTrayIconWent(*program, m_display, mainWindow, kExitTimeoutMs))
        << "the display was not hidden before the program ended";
    EXPECT_EQ(program->WaitForExit(kExitTimeoutMs), std::optional<DWORD>(kExitCommandExitCode));
    EXPECT_NE(Value(L"disable"), L"1") << "Exit disables the displays in memory only";
}

}  // namespace
