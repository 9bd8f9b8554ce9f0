#include <gtest/gtest.h>

#include "common/message_box.h"
#include "e2e/orbelin_ui.h"
#include "e2e/program_driver.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 15000;
constexpr DWORD kChangeTimeoutMs = 5000;

class TrayE2eTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(BuiltProgramPath().empty()) << "ORBELIN_EXE is not set"; }

    std::wstring Value(const wchar_t* key) const { return ReadIniValue(m_folder / L"Orbelin.ini", L"Program", key); }

    PerUserSettingsGuard m_perUserSettings;
    TestFolder m_folder{L"tray_e2e"};
};

// What the tray menu shows can only be read from another process on Windows: Wine keeps a
// menu's items in the process that made it.
void ExpectDisableMarked(HWND menuWindow, bool marked) {
    if (RunsUnderWine()) return;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuItemCount(menu), 4);
    EXPECT_EQ((GetMenuState(menu, kTrayMenuDisableId, MF_BYCOMMAND) & MF_CHECKED) != 0, marked);
}

TEST_F(TrayE2eTest, IconTogglesTheDialogAndItsMenuDisablesShowsAndExits) {
    RunningProgram program(PreparePortableCopy(m_folder.Path(), L"start_tray=1\r\n"));
    ASSERT_TRUE(program.Started());
    HWND mainWindow = program.WaitForWindow(kMainWindowClass, kMainWindowTitle, kStartTimeoutMs);
    ASSERT_NE(mainWindow, nullptr);
    HWND dialog = program.WaitForWindow(kDialogClass, kPortableDialogTitle, kStartTimeoutMs);
    ASSERT_NE(dialog, nullptr);
    const auto display = [&] { return program.WaitForWindow(kDisplayWindowClass, nullptr, kStartTimeoutMs); };
    ASSERT_NE(display(), nullptr);
    ASSERT_EQ(WaitForSettingValue(m_folder / L"Orbelin.ini", L"start_tray", L"2", kStartTimeoutMs), L"2");
    ASSERT_FALSE(IsWindowVisible(dialog));

    // Left click: show (in front of the window the user was in, not left topmost), then hide again.
    OtherForegroundWindow otherWindow;
    ASSERT_TRUE(otherWindow.TakeForeground());
    LeftClickTrayIcon(mainWindow);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "the dialog stayed topmost";
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; }, kChangeTimeoutMs));
    LeftClickTrayIcon(mainWindow);
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_TRUE(IsWindowVisible(display())) << "the tray click hid the display";

    // Right click, Escape: the menu goes and nothing changes.
    HWND menu = OpenTrayMenu(program, mainWindow, kChangeTimeoutMs);
    ASSERT_NE(menu, nullptr) << "no tray menu";
    ExpectDisableMarked(menu, false);
    ASSERT_TRUE(ChooseMenuItem(program, menu, 0, kChangeTimeoutMs)) << "the tray menu stayed open";
    EXPECT_EQ(Value(L"disable"), L"<missing>");
    EXPECT_TRUE(IsWindowVisible(display()));
    EXPECT_FALSE(IsWindowVisible(dialog));

    // "Disable" hides the display and stores the flag; choosing it again brings the display back.
    for (const bool disabled : {true, false}) {
        SCOPED_TRACE(disabled ? "disable" : "enable again");
        menu = OpenTrayMenu(program, mainWindow, kChangeTimeoutMs);
        ASSERT_NE(menu, nullptr) << "no tray menu";
        ExpectDisableMarked(menu, !disabled);
        ASSERT_TRUE(ChooseMenuItem(program, menu, kTrayMenuDisablePresses, kChangeTimeoutMs));
        const wchar_t* stored = disabled ? L"1" : L"0";
        EXPECT_EQ(WaitForSettingValue(m_folder / L"Orbelin.ini", L"disable", stored, kChangeTimeoutMs), stored);
        EXPECT_TRUE(WaitUntil([&] { return (IsWindowVisible(display()) != FALSE) != disabled; }, kChangeTimeoutMs))
            << "the display's visibility does not follow the flag";
        EXPECT_FALSE(IsWindowVisible(dialog));
    }

    // The program title shows the dialog in front.
    ASSERT_TRUE(otherWindow.TakeForeground());
    menu = OpenTrayMenu(program, mainWindow, kChangeTimeoutMs);
    ASSERT_NE(menu, nullptr) << "no tray menu";
    ASSERT_TRUE(ChooseMenuItem(program, menu, kTrayMenuShowDialogPresses, kChangeTimeoutMs));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }, kChangeTimeoutMs));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; }, kChangeTimeoutMs));
    EXPECT_TRUE(WaitUntil([&] { return (GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0; }, kChangeTimeoutMs))
        << "the dialog stayed topmost";

    // "Exit" ends the program with code 1 and leaves the stored flag alone.
    menu = OpenTrayMenu(program, mainWindow, kChangeTimeoutMs);
    ASSERT_NE(menu, nullptr) << "no tray menu";
    // Unlike Exit in the dialog, it does not hide the displays first.
    ChooseMenuItem(program, menu, kTrayMenuExitPresses, 0);
    EXPECT_FALSE(DisplayHiddenBeforeTheTrayIconWent(program, display(), mainWindow, kExitTimeoutMs))
        << "the tray menu's Exit hid the display before ending";
    EXPECT_EQ(program.WaitForExit(kExitTimeoutMs), std::optional<DWORD>(kExitCommandExitCode));
    EXPECT_EQ(Value(L"disable"), L"0");
}

}  // namespace
