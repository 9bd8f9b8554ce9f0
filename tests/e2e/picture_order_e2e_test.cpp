// The order in which the running program shows the pictures of a folder, read from the line it
// writes to the debugger output for every picture it decodes for its display.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "common/message_pump.h"
#include "common/picture_fixtures.h"
#include "common/test_files.h"
#include "e2e/debug_output_recorder.h"
#include "e2e/settings_dialog_e2e_fixture.h"
#include "settings/settings_text.h"

namespace {

// The line the program writes before it decodes a picture for the display, followed by its path.
constexpr char kDecodeLinePrefix[] = "CreaateBitmapFromFile:";

// The file names of the pictures the display decoded so far, in order.
std::vector<std::string> DecodedPictureNames(const DebugOutputRecorder& recorder) {
    std::vector<std::string> names;
    for (const std::string& line : recorder.Lines()) {
        if (line.rfind(kDecodeLinePrefix, 0) != 0) continue;
        const size_t slash = line.find_last_of("\\/");
        names.push_back(slash == std::string::npos ? line.substr(sizeof(kDecodeLinePrefix) - 1)
                                                   : line.substr(slash + 1));
    }
    return names;
}

// With shuffle on, the first thirty changes after the folder of thirty pictures is chosen show
// thirty different pictures, not in the folder's sorted order; the check box turns it off and on
// and writes the setting at once.
TEST_F(SettingsDialogE2eTest, ShuffleShowsThirtyDifferentPicturesInThirtyChanges) {
    constexpr int kPictureCount = 30;
    TestFolder pictures(L"shuffled_pictures");
    std::vector<std::string> sortedNames;
    for (int i = 0; i < kPictureCount; ++i) {
        const std::string name = "picture " + std::to_string(100 + i) + ".png";
        sortedNames.push_back(name);
        const uint32_t colour = 0xFF000000u | static_cast<uint32_t>(i * 8) << 16 | static_cast<uint32_t>(255 - i * 8);
        ASSERT_TRUE(WriteSolidPng(pictures / std::wstring(name.begin(), name.end()), 40, 40, colour));
    }
    auto program = Start(L"img_id=0\r\nstart_tray=1\r\ncx=200\r\nm_image_timer=5\r\nm_shuffle=1\r\nm_image_folder=" +
                         EncodeSettingText(pictures.Path()) + L"\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_NE(m_display, nullptr);
    const DialogDriver dialog(m_dialog);
    EXPECT_TRUE(dialog.IsChecked(kShuffleCheck)) << "the stored setting";
    EXPECT_FALSE(dialog.IsEnabled(kShuffleCheck)) << "offered for the sample pictures";

    DebugOutputRecorder recorder(program->ProcessId());
    ASSERT_TRUE(recorder.Attached(10000)) << "cannot attach to the program as its debugger";
    ASSERT_TRUE(DecodedPictureNames(recorder).empty()) << "the samples are not decoded from files";

    dialog.ChooseEntry(kSourceCombo, 1);
    EXPECT_EQ(WaitForSettingValue(SettingsFile(), L"img_id", L"1", kChangeTimeoutMs), L"1");
    EXPECT_TRUE(dialog.IsEnabled(kShuffleCheck));

    // The first at once, three a second apart, then one every five seconds.
    std::vector<std::string> shown;
    EXPECT_TRUE(WaitUntil(
        [&] {
            shown = DecodedPictureNames(recorder);
            return shown.size() >= kPictureCount;
        },
        300000, 200))
        << "changes seen: " << shown.size();
    ASSERT_GE(shown.size(), static_cast<size_t>(kPictureCount));
    shown.resize(kPictureCount);
    const std::set<std::string> distinct(shown.begin(), shown.end());
    EXPECT_EQ(distinct.size(), static_cast<size_t>(kPictureCount)) << "a picture came twice in one cycle";
    for (const std::string& name : shown) {
        EXPECT_TRUE(std::find(sortedNames.begin(), sortedNames.end(), name) != sortedNames.end()) << name;
    }
    EXPECT_NE(shown, sortedNames) << "the folder's sorted order";

    // The check box turns shuffle off and on for this display and writes it at once.
    dialog.Click(kShuffleCheck);
    EXPECT_FALSE(dialog.IsChecked(kShuffleCheck));
    EXPECT_EQ(Value(L"m_shuffle"), L"0");
    dialog.Click(kShuffleCheck);
    EXPECT_TRUE(dialog.IsChecked(kShuffleCheck));
    EXPECT_EQ(Value(L"m_shuffle"), L"1");

    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

}  // namespace
