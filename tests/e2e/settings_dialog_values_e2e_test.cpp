// The controls of the settings dialog and the settings file: what a start shows of the stored
// values, and how each change is applied and written at once.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "common/message_box_watcher.h"
#include "common/shell_open_recorder.h"
#include "e2e/orbelin_ui.h"
#include "e2e/program_driver.h"
#include "e2e/settings_dialog_e2e_fixture.h"
#include "settings/settings_text.h"

namespace {

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

}  // namespace
