#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cwctype>
#include <memory>
#include <optional>
#include <string>

#include "common/message_box_watcher.h"
#include "common/picture_fixtures.h"
#include "common/shell_open_recorder.h"
#include "e2e/orbelin_ui.h"
#include "e2e/program_driver.h"
#include "imaging/gdiplus_api.h"
#include "imaging/picture_holder.h"
#include "settings/settings_text.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 15000;
constexpr DWORD kChangeTimeoutMs = 5000;

// The current user's start-with-Windows value of the program, or nothing.
constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::optional<std::wstring> StartWithWindowsValue() {
    wchar_t text[2048] = L"";
    DWORD bytes = sizeof(text) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Orbelin", RRF_RT_REG_SZ, nullptr, text, &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(text);
}

// Keeps the start-with-Windows value as it was before the test; the test starts without one.
class StartWithWindowsGuard {
public:
    StartWithWindowsGuard() : m_saved(StartWithWindowsValue()) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Orbelin");
    }
    ~StartWithWindowsGuard() {
        if (m_saved) {
            RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Orbelin", REG_SZ, m_saved->c_str(),
                            static_cast<DWORD>((m_saved->size() + 1) * sizeof(wchar_t)));
        } else {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Orbelin");
        }
    }
    StartWithWindowsGuard(const StartWithWindowsGuard&) = delete;
    StartWithWindowsGuard& operator=(const StartWithWindowsGuard&) = delete;

private:
    std::optional<std::wstring> m_saved;
};

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Each test starts a portable copy of the program in a throw-away folder with its own settings
// file, and keeps the per-user settings as they were.
class SettingsDialogE2eTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(BuiltProgramPath().empty()) << "ORBELIN_EXE is not set"; }

    // Starts the copy with the settings lines given and waits for its settings dialog (shown or
    // not) and its display; the dialog and display handles are left null when they do not come.
    std::unique_ptr<RunningProgram> Start(const std::wstring& settingsLines, const std::wstring& arguments = L"") {
        auto program = std::make_unique<RunningProgram>(PreparePortableCopy(m_folder.Path(), settingsLines), arguments);
        if (!program->Started()) return program;
        m_dialog = program->WaitForWindow(kDialogClass, kPortableDialogTitle, kStartTimeoutMs);
        m_display = program->WaitForWindow(kDisplayWindowClass, nullptr, kStartTimeoutMs);
        return program;
    }

    std::wstring SettingsFile() const { return m_folder / L"Orbelin.ini"; }
    std::wstring Value(const wchar_t* key) const { return ReadIniValue(SettingsFile(), L"Program", key); }
    void RemoveValue(const wchar_t* key) const {
        WritePrivateProfileStringW(L"Program", key, nullptr, SettingsFile().c_str());
    }

    PerUserSettingsGuard m_perUserSettings;
    TestFolder m_folder{L"dialog_e2e"};
    HWND m_dialog = nullptr;
    HWND m_display = nullptr;
};

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

TEST_F(SettingsDialogE2eTest, ControlsShowTheStoredSettings) {
    auto program = Start(
        L"cx=300\r\ntransparency=40\r\nm_rotate_speed=250\r\nm_image_timer=17\r\nm_clock_3d_type=6\r\n"
        L"m_new_on_top_state=1\r\nimg_id=2\r\nm_img_mode=5\r\nm_deactivate_mode=2\r\nm_deactivate_sec=12\r\n"
        L"fix_pos=1\r\nstart_tray=1\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_NE(m_display, nullptr);
    ASSERT_EQ(WaitForSettingValue(SettingsFile(), L"start_tray", L"2", kStartTimeoutMs), L"2");
    const DialogDriver dialog(m_dialog);

    const struct {
        int slider;
        int low, high, position;
        int label;
        const wchar_t* labelText;
    } sliders[] = {
        {kSizeSlider, 128, 1500, 300, kSizeLabel, L"300"},
        {kOpacitySlider, 10, 100, 40, kOpacityLabel, L"60 %"},
        {kSpeedSlider, 1, 100, 100, kSpeedLabel, L"100 %"},  // 250 is clamped when the dialog loads
        {kIntervalSlider, 5, 60, 17, kIntervalLabel, L"17 sec."},
    };
    for (const auto& slider : sliders) {
        SCOPED_TRACE("slider " + std::to_string(slider.slider));
        EXPECT_EQ(dialog.SliderRange(slider.slider), std::make_pair(slider.low, slider.high));
        EXPECT_EQ(dialog.SliderPosition(slider.slider), slider.position);
        EXPECT_EQ(dialog.Text(slider.label), slider.labelText);
    }

    const struct {
        int combo;
        size_t entries;
        int selection;
    } combos[] = {
        {kSourceCombo, 3, 2},       {kAspectCombo, 2, 1},  // 5 is clamped into 0..1
        {kObjectCombo, 8, 6},       {kStackingCombo, 5, 1},
        {kDeactivationCombo, 4, 2}, {kDeactivationSecondsCombo, 55, 12 - 5},
    };
    for (const auto& combo : combos) {
        SCOPED_TRACE("drop-down list " + std::to_string(combo.combo));
        EXPECT_EQ(dialog.Entries(combo.combo).size(), combo.entries);
        EXPECT_EQ(dialog.Selection(combo.combo), combo.selection);
    }
    // The seconds are read back from the leading number of each entry.
    const std::vector<std::wstring> seconds = dialog.Entries(kDeactivationSecondsCombo);
    for (size_t index = 0; index < seconds.size(); ++index) {
        const std::wstring number = std::to_wstring(5 + index);
        SCOPED_TRACE(seconds[index]);
        EXPECT_EQ(seconds[index].compare(0, number.size(), number), 0);
        EXPECT_TRUE(seconds[index].size() == number.size() || !iswdigit(seconds[index][number.size()]));
    }

    EXPECT_TRUE(dialog.IsEnabled(kSourceMoreButton)) << "the individual list source offers its \"...\" button";
    EXPECT_TRUE(dialog.IsChecked(kFixedPositionCheck));
    EXPECT_FALSE(dialog.IsChecked(kDisableCheck));
    EXPECT_NE(GetWindowLongW(m_display, GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0) << "a fixed display lets clicks through";
    EXPECT_TRUE(
        WaitUntil([&] { return WindowRect(m_display).right - WindowRect(m_display).left == 300; }, kChangeTimeoutMs));

    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

// A settings file written by hand or by another tool may hold any number. Each start uses the
// values within the ranges of the dialog's controls: the window has a size the size slider
// offers and stands at most half off the screen, the controls show what is used, and the program
// ends when asked (a display of 16000 x 16000 pixels, as "cx=16000" made before, drew so slowly
// and took so much memory that it did not). The file keeps what it holds: it changes when a
// control does.
TEST_F(SettingsDialogE2eTest, StoredValuesOutsideTheControlsRangesStartWithinThem) {
    const std::wstring huge = L"99999999999999999999";
    const struct {
        const char* what;
        std::wstring lines;
        int size;
        int interval;
        const wchar_t* intervalLabel;
        int opacity;
    } cases[] = {
        {"cx=16000", L"cx=16000", 1500, 10, L"10 sec.", 75},
        {"cx=-5", L"cx=-5", 128, 10, L"10 sec.", 75},
        {"m_image_timer=0", L"m_image_timer=0", 400, 5, L"5 sec.", 75},
        {"huge numbers",
         L"cx=" + huge + L"\r\nm_image_timer=" + huge + L"\r\ntransparency=" + huge + L"\r\npoint_x=" + huge +
             L"\r\npoint_y=-" + huge + L"\r\nm_clock_3d_type=" + huge,
         1500, 60, L"60 sec.", 100},
    };
    const RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                      GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring lines = L"start_tray=1\r\n" + c.lines + L"\r\n";
        auto program = Start(lines);
        ASSERT_NE(m_dialog, nullptr);
        ASSERT_NE(m_display, nullptr);
        ASSERT_EQ(WaitForSettingValue(SettingsFile(), L"start_tray", L"2", kStartTimeoutMs), L"2");

        // The first composed frame gives the window its square size.
        EXPECT_TRUE(WaitUntil(
            [&] {
                const RECT rect = WindowRect(m_display);
                return rect.right - rect.left == c.size && rect.bottom - rect.top == c.size;
            },
            kChangeTimeoutMs))
            << "the display is " << WindowRect(m_display).right - WindowRect(m_display).left << " pixels wide";
        const RECT rect = WindowRect(m_display);
        EXPECT_GE(rect.left, screen.left - c.size / 2);
        EXPECT_LE(rect.right, screen.right + c.size / 2);
        EXPECT_GE(rect.top, screen.top - c.size / 2);
        EXPECT_LE(rect.bottom, screen.bottom + c.size / 2);

        const DialogDriver dialog(m_dialog);
        EXPECT_EQ(dialog.SliderPosition(kSizeSlider), c.size);
        EXPECT_EQ(dialog.Text(kSizeLabel), std::to_wstring(c.size));
        EXPECT_EQ(dialog.SliderPosition(kIntervalSlider), c.interval);
        EXPECT_EQ(dialog.Text(kIntervalLabel), c.intervalLabel);
        EXPECT_EQ(dialog.SliderPosition(kOpacitySlider), c.opacity);
        EXPECT_GE(dialog.Selection(kObjectCombo), 0) << "the object list shows an entry";

        EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
        // Only the start counter was written: the values stay as they were stored.
        for (size_t start = 0; start < c.lines.size();) {
            const size_t end = std::min(c.lines.find(L"\r\n", start), c.lines.size());
            const std::wstring line = c.lines.substr(start, end - start);
            const size_t equals = line.find(L'=');
            EXPECT_EQ(Value(line.substr(0, equals).c_str()), line.substr(equals + 1)) << line;
            start = end + 2;
        }
    }
}

TEST_F(SettingsDialogE2eTest, EachChangeAppliesAndIsWrittenAtOnce) {
    TestFolder pictures(L"pictures");
    auto program = Start(L"m_image_folder=" + EncodeSettingText(pictures.Path()) + L"\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_NE(m_display, nullptr);
    ASSERT_EQ(WaitForSettingValue(SettingsFile(), L"start_tray", L"1", kStartTimeoutMs), L"1");
    const DialogDriver dialog(m_dialog);

    // The size: the display becomes a square of that edge, and its placement is written with it.
    RemoveValue(L"point_x");
    RemoveValue(L"point_y");
    dialog.MoveSlider(kSizeSlider, 256);
    EXPECT_EQ(Value(L"cx"), L"256");
    EXPECT_EQ(dialog.Text(kSizeLabel), L"256");
    EXPECT_TRUE(WaitUntil(
        [&] {
            const RECT rect = WindowRect(m_display);
            return rect.right - rect.left == 256 && rect.bottom - rect.top == 256;
        },
        kChangeTimeoutMs))
        << "the display did not take the new size";
    const RECT placed = WindowRect(m_display);
    EXPECT_EQ(Value(L"point_x"), std::to_wstring(placed.left));
    EXPECT_EQ(Value(L"point_y"), std::to_wstring(placed.top));

    enum class Kind { kSlider, kList };
    const struct {
        Kind kind;
        int id;
        int value;
        const wchar_t* key;
        const wchar_t* stored;
        int label;  // 0: none
        const wchar_t* labelText;
    } changes[] = {
        {Kind::kSlider, kOpacitySlider, 10, L"transparency", L"10", kOpacityLabel, L"90 %"},
        {Kind::kSlider, kOpacitySlider, 100, L"transparency", L"100", kOpacityLabel, L"0 %"},
        {Kind::kSlider, kSpeedSlider, 55, L"m_rotate_speed", L"55", kSpeedLabel, L"55 %"},
        {Kind::kSlider, kIntervalSlider, 5, L"m_image_timer", L"5", kIntervalLabel, L"5 sec."},
        {Kind::kSlider, kIntervalSlider, 60, L"m_image_timer", L"60", kIntervalLabel, L"60 sec."},
        {Kind::kList, kAspectCombo, 0, L"m_img_mode", L"0", 0, nullptr},
        {Kind::kList, kObjectCombo, 7, L"m_clock_3d_type", L"7", 0, nullptr},
        {Kind::kList, kStackingCombo, 1, L"m_new_on_top_state", L"1", 0, nullptr},
        {Kind::kList, kDeactivationSecondsCombo, 20 - 5, L"m_deactivate_sec", L"20", 0, nullptr},
        {Kind::kList, kDeactivationCombo, 3, L"m_deactivate_mode", L"3", 0, nullptr},
        // Back to none, so that no input hides the display during the rest of the test.
        {Kind::kList, kDeactivationCombo, 0, L"m_deactivate_mode", L"0", 0, nullptr},
        {Kind::kList, kSourceCombo, 1, L"img_id", L"1", 0, nullptr},
        {Kind::kList, kSourceCombo, 0, L"img_id", L"0", 0, nullptr},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE("control " + std::to_string(change.id) + " to " + std::to_string(change.value));
        if (change.kind == Kind::kSlider) {
            dialog.MoveSlider(change.id, change.value);
        } else {
            dialog.ChooseEntry(change.id, change.value);
        }
        // Written in the same step, before the dialog answered.
        EXPECT_EQ(Value(change.key), change.stored);
        if (change.label != 0) {
            EXPECT_EQ(dialog.Text(change.label), change.labelText);
        }
        if (change.id == kSourceCombo) {
            EXPECT_EQ(dialog.IsEnabled(kSourceMoreButton), change.value > 0) << "the \"...\" button follows the source";
        }
    }
    // A stored folder is used as it is: choosing the folder source opened no folder chooser.
    EXPECT_EQ(Value(L"m_image_folder"), EncodeSettingText(pictures.Path()));
    const auto settingsBytes = ReadFileBytes(SettingsFile());
    EXPECT_TRUE(settingsBytes && StartsWithUtf16Mark(*settingsBytes)) << "the settings file is no longer UTF-16";
    EXPECT_EQ(program->WaitForVisibleWindow(kDialogClass, 0), m_dialog) << "another dialog is open";
    EXPECT_TRUE(IsWindowVisible(program->WaitForWindow(kDisplayWindowClass, nullptr, kStartTimeoutMs)));

    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

TEST_F(SettingsDialogE2eTest, AChoiceEqualToTheCurrentValueWritesNothing) {
    TestFolder pictures(L"pictures");
    auto program = Start(
        L"cx=300\r\nm_rotate_speed=20\r\nm_image_timer=12\r\nimg_id=1\r\nm_img_mode=1\r\nm_clock_3d_type=3\r\n"
        L"m_new_on_top_state=0\r\nm_deactivate_mode=1\r\nm_deactivate_sec=9\r\nstart_tray=1\r\nm_image_folder=" +
        EncodeSettingText(pictures.Path()) + L"\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_EQ(WaitForSettingValue(SettingsFile(), L"start_tray", L"2", kStartTimeoutMs), L"2");
    const DialogDriver dialog(m_dialog);

    enum class Kind { kSlider, kList };
    const struct {
        Kind kind;
        int id;
        int value;
        const wchar_t* key;
    } unchanged[] = {
        {Kind::kSlider, kSizeSlider, 300, L"cx"},
        {Kind::kSlider, kSpeedSlider, 20, L"m_rotate_speed"},
        {Kind::kSlider, kIntervalSlider, 12, L"m_image_timer"},
        {Kind::kList, kSourceCombo, 1, L"img_id"},
        {Kind::kList, kAspectCombo, 1, L"m_img_mode"},
        {Kind::kList, kObjectCombo, 3, L"m_clock_3d_type"},
        {Kind::kList, kStackingCombo, 0, L"m_new_on_top_state"},
        {Kind::kList, kDeactivationCombo, 1, L"m_deactivate_mode"},
        {Kind::kList, kDeactivationSecondsCombo, 9 - 5, L"m_deactivate_sec"},
    };
    // The keys are taken out of the file: a write of any of them would put it back.
    for (const auto& row : unchanged) RemoveValue(row.key);
    for (const auto& row : unchanged) {
        SCOPED_TRACE("control " + std::to_string(row.id) + " at " + std::to_string(row.value));
        if (row.kind == Kind::kSlider) {
            dialog.MoveSlider(row.id, row.value);
        } else {
            dialog.ChooseEntry(row.id, row.value);
        }
        EXPECT_EQ(Value(row.key), L"<missing>");
    }
    // A different value is still written after all that.
    dialog.MoveSlider(kSpeedSlider, 21);
    EXPECT_EQ(Value(L"m_rotate_speed"), L"21");

    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

TEST_F(SettingsDialogE2eTest, LastStackingEntryOpensTheFaqAndKeepsTheMode) {
    ShellOpenRecorder opener({L"http", L"https"});
    auto program = Start(L"m_new_on_top_state=1\r\nstart_tray=1\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_EQ(WaitForSettingValue(SettingsFile(), L"start_tray", L"2", kStartTimeoutMs), L"2");
    const DialogDriver dialog(m_dialog);
    RemoveValue(L"m_new_on_top_state");

    dialog.ChooseEntry(kStackingCombo, 4);
    EXPECT_EQ(dialog.Selection(kStackingCombo), 1) << "the previous entry is selected again";
    EXPECT_EQ(Value(L"m_new_on_top_state"), L"<missing>");
    const std::vector<std::wstring> opened = opener.WaitForOpened(1, kChangeTimeoutMs);
    ASSERT_EQ(opened.size(), 1u) << "the FAQ page was not opened";
    EXPECT_EQ(opened[0].compare(0, 4, L"http"), 0) << opened[0];
    EXPECT_TRUE(EndsWith(opened[0], L"?seite=faq-Orbelin&faq=2")) << opened[0];

    // The mode itself still changes from the list.
    dialog.ChooseEntry(kStackingCombo, 0);
    EXPECT_EQ(Value(L"m_new_on_top_state"), L"0");

    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

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
    EXPECT_EQ(program->WaitForExit(kExitTimeoutMs), std::optional<DWORD>(kExitCommandExitCode)) << "Exit did not end it";
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
        {"this program at an old place", L"\"" + (m_folder / L"gone\\Orbelin_portable.exe") + L"\" -bg", true, ownValue},
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

TEST_F(SettingsDialogE2eTest, FolderSourceWithoutAStoredFolderOpensTheChooser) {
    auto program = Start(L"start_tray=1\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_EQ(WaitForSettingValue(SettingsFile(), L"start_tray", L"2", kStartTimeoutMs), L"2");
    const DialogDriver dialog(m_dialog);

    // The chooser is modal: the choice is announced without waiting for the dialog's answer.
    SendMessageW(dialog.Control(kSourceCombo), CB_SETCURSEL, 1, 0);
    PostMessageW(m_dialog, WM_COMMAND, MAKEWPARAM(kSourceCombo, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(dialog.Control(kSourceCombo)));
    HWND chooser = WaitForOwnedDialog(*program, m_dialog, nullptr, kChangeTimeoutMs);
    ASSERT_NE(chooser, nullptr) << "no folder chooser";
    PressButton(chooser, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(chooser) || !IsWindowVisible(chooser); }, kChangeTimeoutMs));

    // Cancelled: no folder, but the source is chosen.
    EXPECT_EQ(Value(L"m_image_folder"), L"<missing>");
    EXPECT_EQ(Value(L"img_id"), L"1");
    EXPECT_TRUE(dialog.IsEnabled(kSourceMoreButton));

    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

TEST_F(SettingsDialogE2eTest, ChooserStartsAtTheStoredFolderAndStoresTheChoice) {
    TestFolder pictures(L"pictures");
    ASSERT_TRUE(CreateDirectoryW((pictures / L"more").c_str(), nullptr));
    auto program = Start(L"img_id=1\r\nstart_tray=1\r\nm_image_folder=" + EncodeSettingText(pictures.Path()) + L"\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_EQ(WaitForSettingValue(SettingsFile(), L"start_tray", L"2", kStartTimeoutMs), L"2");
    const DialogDriver dialog(m_dialog);
    ASSERT_TRUE(dialog.IsEnabled(kSourceMoreButton));
    const std::wstring storedFolder = EncodeSettingText(pictures.Path());

    const std::wstring folderName = pictures.Path().substr(pictures.Path().find_last_of(L'\\') + 1);
    // Whether the chooser's selected folder ends in these folders (the innermost first).
    const auto selectionEndsIn = [](HWND tree, const std::vector<std::wstring>& innermostFolders) {
        std::vector<std::wstring> selected = SelectedTreeItemPath(tree);
        if (selected.size() < innermostFolders.size()) return false;
        selected.resize(innermostFolders.size());
        return selected == innermostFolders;
    };
    const auto press = [](HWND tree, UINT key) {
        SendMessageW(tree, WM_KEYDOWN, key, 1 | (static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16));
    };

    // The chooser opens at the stored folder. Cancel changes nothing; OK on its first subfolder
    // (reached with the keys: open the folder, go down one) stores that one.
    const struct {
        const char* name;
        int button;
        std::wstring stored;
    } choices[] = {
        {"Cancel", IDCANCEL, storedFolder},
        {"OK", IDOK, EncodeSettingText(pictures / L"more")},
    };
    for (const auto& choice : choices) {
        SCOPED_TRACE(choice.name);
        // "..." is modal too: clicked without waiting for the answer.
        PostMessageW(dialog.Control(kSourceMoreButton), BM_CLICK, 0, 0);
        HWND chooser = WaitForOwnedDialog(*program, m_dialog, nullptr, kChangeTimeoutMs);
        ASSERT_NE(chooser, nullptr) << "no folder chooser";
        HWND folderTree = FindWindowExW(chooser, nullptr, WC_TREEVIEWW, nullptr);
        ASSERT_NE(folderTree, nullptr) << "the chooser has no folder tree";
        // The chooser may stand on the stored folder only some time after it appeared: keys sent
        // before that land elsewhere.
        ASSERT_TRUE(WaitUntil([&] { return selectionEndsIn(folderTree, {folderName}); }, kChangeTimeoutMs))
            << "the chooser stands on " << ::testing::PrintToString(SelectedTreeItemPath(folderTree))
            << ", not on the stored folder";
        press(folderTree, VK_RIGHT);
        ASSERT_TRUE(WaitUntil(
            [&] {
                const LRESULT selected = SendMessageW(folderTree, TVM_GETNEXTITEM, TVGN_CARET, 0);
                return SendMessageW(folderTree, TVM_GETNEXTITEM, TVGN_CHILD, selected) != 0;
            },
            kChangeTimeoutMs))
            << "the stored folder did not open";
        press(folderTree, VK_DOWN);
        ASSERT_TRUE(WaitUntil([&] { return selectionEndsIn(folderTree, {L"more", folderName}); }, kChangeTimeoutMs))
            << "the chooser stands on " << ::testing::PrintToString(SelectedTreeItemPath(folderTree))
            << ", not on the stored folder's subfolder";
        PressButton(chooser, choice.button);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(chooser) || !IsWindowVisible(chooser); }, kChangeTimeoutMs));
        // The settings dialog answers again once the chooser is gone.
        EXPECT_EQ(dialog.Selection(kSourceCombo), 1);
        EXPECT_EQ(Value(L"m_image_folder"), choice.stored);
    }

    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

TEST_F(SettingsDialogE2eTest, FolderSourceBringsTheFolderPicturesOntoTheObject) {
    TestFolder pictures(L"magenta_pictures");
    ASSERT_TRUE(WriteSolidPng(pictures / L"first.png", 240, 240, 0xFFFF00FF));
    ASSERT_TRUE(WriteSolidPng(pictures / L"second.png", 200, 260, 0xFFFF00FF));
    auto program =
        Start(L"img_id=0\r\nstart_tray=1\r\ncx=200\r\nm_image_folder=" + EncodeSettingText(pictures.Path()) + L"\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_NE(m_display, nullptr);
    const DialogDriver dialog(m_dialog);

    ShellOpenRecorder opener({L".png"});
    const std::wstring snapshot = SnapshotPath();
    size_t snapshotsTaken = 0;
    const auto magentaInNextFrame = [&] {
        DeleteFileW(snapshot.c_str());
        dialog.Click(kPngButton);
        ++snapshotsTaken;
        if (opener.WaitForOpened(snapshotsTaken, 10000).size() < snapshotsTaken) return -2;
        return CountMagentaPixels(snapshot);
    };

    // The sample pictures: nothing of the folder's colour.
    EXPECT_EQ(magentaInNextFrame(), 0);

    // The folder's pictures arrive within the quick first changes, one second apart.
    dialog.ChooseEntry(kSourceCombo, 1);
    EXPECT_EQ(WaitForSettingValue(SettingsFile(), L"img_id", L"1", kChangeTimeoutMs), L"1");
    int magenta = 0;
    EXPECT_TRUE(WaitUntil(
        [&] {
            magenta = magentaInNextFrame();
            return magenta > 200;  // of about 10,000 pixels looked at
        },
        20000))
        << "the folder's pictures did not reach the object; magenta pixels: " << magenta;
    DeleteFileW(snapshot.c_str());

    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

TEST_F(SettingsDialogE2eTest, FurtherDisplaySlotsAnnounceThemselvesAndSlot0IsEdited) {
    std::unique_ptr<RunningProgram> program;
    // The placeholder messages come while the dialog is being made, before the start is counted.
    std::vector<SeenMessageBox> seen;
    std::vector<HWND> recorded;
    program = std::make_unique<RunningProgram>(
        PreparePortableCopy(m_folder.Path(), L"m_clock_cnt=3\r\nstart_tray=1\r\ncx=300\r\n"), L"-bg");
    ASSERT_TRUE(program->Started());
    EXPECT_TRUE(WaitUntil(
        [&] {
            AnswerMessageBoxes(program->ProcessId(), recorded, seen);
            return Value(L"start_tray") == L"2";
        },
        kStartTimeoutMs))
        << "the start did not complete";
    ASSERT_EQ(seen.size(), 2u);
    for (const SeenMessageBox& box : seen) {
        EXPECT_EQ(box.caption, L"");
        EXPECT_EQ(box.text, L"Placeholder for next Clock Version");
    }

    HWND dialogWindow = program->WaitForWindow(kDialogClass, kPortableDialogTitle, kStartTimeoutMs);
    ASSERT_NE(dialogWindow, nullptr);
    const DialogDriver dialog(dialogWindow);
    EXPECT_EQ(dialog.SliderPosition(kSizeSlider), 300) << "the dialog does not show slot 0";
    dialog.MoveSlider(kSizeSlider, 333);
    EXPECT_EQ(Value(L"cx"), L"333");
    EXPECT_EQ(Value(L"cx_2"), L"<missing>");
    EXPECT_EQ(Value(L"cx_3"), L"<missing>");

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
