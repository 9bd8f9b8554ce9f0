// The buttons, check boxes and toolbars of the settings dialog, and the start-with-Windows value
// that its check box stands for.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "common/shell_open_recorder.h"
#include "e2e/orbelin_ui.h"
#include "e2e/program_driver.h"
#include "e2e/settings_dialog_e2e_fixture.h"
#include "imaging/gdiplus_api.h"
#include "imaging/picture_holder.h"

namespace {

// The toolbars worked as a user does: each button pressed where it is on screen, so that a button
// wired to another command than its place promises fails here.
TEST_F(SettingsDialogE2eTest, ToolbarButtonsDoWhatTheirPlaceShows) {
    ShellOpenRecorder opener({L"http", L"https"});
    auto program = Start(L"start_tray=1\r\n");
    ASSERT_NE(m_dialog, nullptr);
    HWND mainWindow = program->WaitForWindow(kMainWindowClass, kMainWindowTitle, kStartTimeoutMs);
    ASSERT_NE(mainWindow, nullptr);
    LeftClickTrayIcon(mainWindow);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(m_dialog) != FALSE; }, kChangeTimeoutMs));
    // From the top: the menu bar, the quick toolbar, the footer toolbar.
    const std::vector<HWND> toolbars = ToolbarsOf(m_dialog);
    ASSERT_EQ(toolbars.size(), 3u);
    HWND quickToolbar = toolbars[1];
    HWND footerToolbar = toolbars[2];
    ASSERT_EQ(SendMessageW(quickToolbar, TB_BUTTONCOUNT, 0, 0), 4);
    ASSERT_EQ(SendMessageW(footerToolbar, TB_BUTTONCOUNT, 0, 0), 2);

    // The buttons that open pages: the FAQ and Donate on the quick toolbar, the maker line on the
    // footer.
    const struct {
        HWND toolbar;
        int place;
        const wchar_t* addressEnd;
    } pageButtons[] = {
        {quickToolbar, 0, L"?seite=faq-Orbelin"},
        {quickToolbar, 1, L"?seite=paypal&Program=Orbelin"},
        {footerToolbar, 0, L"/?seite=Freeware/Orbelin/Thanks"},
    };
    size_t expected = 0;
    for (const auto& button : pageButtons) {
        SCOPED_TRACE(testing::Message() << (button.toolbar == quickToolbar ? "quick" : "footer") << " toolbar, button "
                                        << button.place);
        ASSERT_TRUE(ClickToolbarButton(button.toolbar, button.place));
        const std::vector<std::wstring> opened = opener.WaitForOpened(++expected, kChangeTimeoutMs);
        ASSERT_EQ(opened.size(), expected) << "nothing was opened";
        const std::wstring& address = opened.back();
        EXPECT_EQ(address.rfind(L"https://www.kestrova.", 0), 0u) << address;
        EXPECT_TRUE(EndsWith(address, button.addressEnd)) << address;
    }

    // The fourth quick button sends the dialog into the tray; the third ends the program.
    ASSERT_TRUE(ClickToolbarButton(quickToolbar, 3));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_dialog); }, kChangeTimeoutMs)) << "To-Tray did not hide it";
    EXPECT_TRUE(program->IsRunning());
    EXPECT_EQ(opener.Opened().size(), expected) << "To-Tray opened a page";
    ASSERT_TRUE(ClickToolbarButton(quickToolbar, 2));
    EXPECT_EQ(program->WaitForExit(kExitTimeoutMs), std::optional<DWORD>(kExitCommandExitCode))
        << "Exit did not end it";
}

TEST_F(SettingsDialogE2eTest, CheckBoxesAndButtonsApplyAtOnce) {
    StartWithWindowsGuard startWithWindows;
    auto program = Start(L"cx=200\r\npoint_x=20\r\npoint_y=30\r\nstart_tray=1\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_NE(m_display, nullptr);
    ASSERT_EQ(WaitForSettingValue(SettingsFile(), L"start_tray", L"2", kStartTimeoutMs), L"2");
    ASSERT_TRUE(
        WaitUntil([&] { return WindowRect(m_display).right - WindowRect(m_display).left == 200; }, kStartTimeoutMs));
    const DialogDriver dialog(m_dialog);
    const auto display = [&] { return program->WaitForWindow(kDisplayWindowClass, nullptr, kChangeTimeoutMs); };

    // Fixed at that position: the display lets mouse input through.
    for (const bool fixed : {true, false}) {
        SCOPED_TRACE(fixed ? "fixed" : "movable");
        dialog.Click(kFixedPositionCheck);
        EXPECT_EQ(dialog.IsChecked(kFixedPositionCheck), fixed);
        EXPECT_EQ(Value(L"fix_pos"), fixed ? L"1" : L"0");
        EXPECT_EQ((GetWindowLongW(display(), GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0, fixed);
    }

    // Start with Windows: the current user's Run value starts this copy in the background.
    EXPECT_FALSE(dialog.IsChecked(kStartWithWindowsCheck));
    dialog.Click(kStartWithWindowsCheck);
    EXPECT_TRUE(dialog.IsChecked(kStartWithWindowsCheck));
    const std::wstring expectedRunValue = L"\"" + (m_folder / L"Orbelin_portable.exe") + L"\" -bg";
    const std::optional<std::wstring> runValue = StartWithWindowsValue();
    ASSERT_TRUE(runValue.has_value()) << "no Run value";
    EXPECT_EQ(lstrcmpiW(runValue->c_str(), expectedRunValue.c_str()), 0) << *runValue;
    dialog.Click(kStartWithWindowsCheck);
    EXPECT_FALSE(dialog.IsChecked(kStartWithWindowsCheck));
    EXPECT_FALSE(StartWithWindowsValue().has_value()) << "the Run value stayed";

    // Disable hides the display; unchecking it, or any later change, brings it back.
    for (const bool disabled : {true, false}) {
        SCOPED_TRACE(disabled ? "disabled" : "enabled");
        dialog.Click(kDisableCheck);
        EXPECT_EQ(Value(L"disable"), disabled ? L"1" : L"0");
        EXPECT_TRUE(WaitUntil([&] { return (IsWindowVisible(display()) != FALSE) != disabled; }, kChangeTimeoutMs));
    }
    dialog.Click(kDisableCheck);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(display()); }, kChangeTimeoutMs));
    dialog.MoveSlider(kOpacitySlider, 50);
    EXPECT_EQ(Value(L"disable"), L"0") << "a change in the dialog enables the display again";
    EXPECT_FALSE(dialog.IsChecked(kDisableCheck));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(display()) != FALSE; }, kChangeTimeoutMs));

    // Centre of the screen: the display's centre goes to the centre of the desktop window.
    RECT desktop{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    const int centredLeft = (desktop.left + desktop.right) / 2 - 100;
    const int centredTop = (desktop.top + desktop.bottom) / 2 - 100;
    RemoveValue(L"cx");
    dialog.Click(kCentreButton);
    RECT rect = WindowRect(display());
    EXPECT_EQ(rect.left, centredLeft);
    EXPECT_EQ(rect.top, centredTop);
    EXPECT_EQ(rect.right - rect.left, 200) << "centring changed the size";
    EXPECT_EQ(Value(L"point_x"), std::to_wstring(centredLeft));
    EXPECT_EQ(Value(L"point_y"), std::to_wstring(centredTop));
    EXPECT_EQ(Value(L"cx"), L"200");

    // The arrows move it by 10 pixels.
    const struct {
        int button;
        int dx, dy;
    } arrows[] = {{kLeftButton, -10, 0}, {kRightButton, 10, 0}, {kUpButton, 0, -10}, {kDownButton, 0, 10}};
    for (const auto& arrow : arrows) {
        SCOPED_TRACE("arrow " + std::to_string(arrow.button));
        const RECT before = WindowRect(display());
        dialog.Click(arrow.button);
        rect = WindowRect(display());
        EXPECT_EQ(rect.left, before.left + arrow.dx);
        EXPECT_EQ(rect.top, before.top + arrow.dy);
        EXPECT_EQ(Value(L"point_x"), std::to_wstring(rect.left));
        EXPECT_EQ(Value(L"point_y"), std::to_wstring(rect.top));
    }

    // Deactivation after key input: the display hides while the countdown runs and comes back when
    // it reaches zero. The key is one no program here acts on.
    dialog.ChooseEntry(kDeactivationSecondsCombo, 6 - 5);
    EXPECT_EQ(Value(L"m_deactivate_sec"), L"6");
    dialog.ChooseEntry(kDeactivationCombo, 2);
    EXPECT_EQ(Value(L"m_deactivate_mode"), L"2");
    INPUT key{};
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = VK_F24;
    ASSERT_EQ(SendInput(1, &key, sizeof(key)), 1u);
    Sleep(300);  // held over a few of the program's 100 ms checks
    key.ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(SendInput(1, &key, sizeof(key)), 1u);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(display()); }, kChangeTimeoutMs))
        << "key input did not hide it";
    std::wstring countdown;
    EXPECT_TRUE(WaitUntil(
        [&] {
            countdown = dialog.Text(kCountdownLabel);
            return countdown == L"006" || countdown == L"005" || countdown == L"004";
        },
        kChangeTimeoutMs))
        << countdown;
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(display()) != FALSE; }, 10000)) << "it did not come back";
    EXPECT_EQ(dialog.Text(kCountdownLabel), L"000");
    dialog.ChooseEntry(kDeactivationCombo, 0);

    // PNG: the next frame is saved in the temporary folder and opened with the shell.
    ShellOpenRecorder opener({L".png"});
    const std::wstring snapshot = SnapshotPath();
    DeleteFileW(snapshot.c_str());
    dialog.Click(kPngButton);
    const std::vector<std::wstring> opened = opener.WaitForOpened(1, 10000);
    ASSERT_EQ(opened.size(), 1u) << "the snapshot was not opened";
    EXPECT_EQ(lstrcmpiW(opened[0].c_str(), snapshot.c_str()), 0) << opened[0];
    PictureHolder picture;
    ASSERT_TRUE(picture.LoadFile(snapshot.c_str()));
    ASSERT_NE(picture.Image(), nullptr) << "the snapshot does not decode";
    EXPECT_EQ(picture.Width(), 200u);
    EXPECT_EQ(picture.Height(), 200u);
    GpArgb corner = 0xdeadbeef;
    ASSERT_EQ(Gdiplus().bitmapGetPixel(reinterpret_cast<GpBitmap*>(picture.Image()), 0, 0, &corner), 0);
    EXPECT_EQ(corner >> 24, 0u) << "the background is not transparent";
    GpArgb centre = 0;
    ASSERT_EQ(Gdiplus().bitmapGetPixel(reinterpret_cast<GpBitmap*>(picture.Image()), 100, 100, &centre), 0);
    EXPECT_NE(centre >> 24, 0u) << "the object is missing from the snapshot";
    picture.Release();
    DeleteFileW(snapshot.c_str());

    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

// The current user's Run value as the settings load finds it: it ticks the box, a value of this
// program at a place it no longer has is repaired, another existing copy's value is left alone.
TEST_F(SettingsDialogE2eTest, StartWithWindowsValueAtLoad) {
    StartWithWindowsGuard startWithWindows;
    TestFolder otherFolder(L"other_copy");
    const std::wstring otherCopy = CopyProgramTo(otherFolder.Path(), L"Orbelin.exe");
    ASSERT_FALSE(otherCopy.empty());
    const std::wstring thisCopy = m_folder / L"Orbelin_portable.exe";
    const std::wstring ownValue = L"\"" + thisCopy + L"\" -bg";
    const struct {
        const char* label;
        std::optional<std::wstring> stored;
        bool ticked;
        std::optional<std::wstring> after;
    } cases[] = {
        {"no value", std::nullopt, false, std::nullopt},
        {"this copy's value", ownValue, true, ownValue},
        {"this program at an old place", L"\"" + (m_folder / L"gone\\Orbelin_portable.exe") + L"\" -bg", true,
         ownValue},
        {"another existing copy", L"\"" + otherCopy + L"\" -bg", true, L"\"" + otherCopy + L"\" -bg"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Orbelin");
        if (testCase.stored) {
            ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Orbelin", REG_SZ, testCase.stored->c_str(),
                                      static_cast<DWORD>((testCase.stored->size() + 1) * sizeof(wchar_t))),
                      ERROR_SUCCESS);
        }
        auto program = Start(L"start_tray=1\r\n");
        ASSERT_NE(m_dialog, nullptr);
        ASSERT_EQ(WaitForSettingValue(SettingsFile(), L"start_tray", L"2", kStartTimeoutMs), L"2");
        EXPECT_EQ(DialogDriver(m_dialog).IsChecked(kStartWithWindowsCheck), testCase.ticked);
        const std::optional<std::wstring> after = StartWithWindowsValue();
        ASSERT_EQ(after.has_value(), testCase.after.has_value());
        if (after) {
            EXPECT_EQ(lstrcmpiW(after->c_str(), testCase.after->c_str()), 0) << *after;
        }
        EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
    }
}

}  // namespace
