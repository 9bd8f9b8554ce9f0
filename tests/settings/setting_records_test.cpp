#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/test_files.h"
#include "settings/app_config.h"
#include "settings/display_config.h"
#include "settings/settings_text.h"

namespace {

// Stands in for the display: records the windows the load asks it to create.
class RecordingDisplayHost : public DisplayWindowHost {
public:
    bool HasDisplayWindow() const override { return !createdSizes.empty(); }
    void CreateDisplayWindow(int size) override { createdSizes.push_back(size); }
    std::vector<int> createdSizes;
};

int CentredLeft(int width) {
    return DefaultDisplayLeft(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN), width);
}

// The members are public so that the table of cases below can name what it checks.
class SettingRecordsTest : public ::testing::Test {
public:
    void UseFile(const std::wstring& content) {
        ASSERT_TRUE(WriteFileBytes(m_file, Utf16FileBytes(L"[Program]\r\n" + content)));
        SetSettingsPath(m_file);
    }
    LoadedSettings Load(int autostart = 0) {
        SettingsLoadHooks hooks;
        hooks.queryAutostart = [autostart] { return autostart; };
        hooks.prepareDialogForSlot = [this](int slot) { m_preparedSlots.push_back(slot); };
        hooks.displayHost = [this](int slot) { return &m_hosts[slot]; };
        DisplayConfigSlots slots{};
        for (int slot = 0; slot < kDisplaySlotCount; ++slot) slots[slot] = &m_displays[slot];
        return LoadAllSettings(m_app, slots, hooks);
    }
    std::wstring Stored(const wchar_t* key) { return ReadIniValue(m_file, L"Program", key); }

    TestFolder m_folder{L"records"};
    std::wstring m_file = m_folder / L"Orbelin.ini";
    AppConfig m_app;
    std::array<DisplayConfig, kDisplaySlotCount> m_displays;
    std::array<RecordingDisplayHost, kDisplaySlotCount> m_hosts;
    std::vector<int> m_preparedSlots;
};

TEST_F(SettingRecordsTest, EmptyFileGivesDefaultsAndWritesNothing) {
    UseFile(L"");
    const auto before = ReadFileBytes(m_file);
    const LoadedSettings loaded = Load(1);

    const DisplayConfig& display = m_displays[0];
    EXPECT_EQ(display.size.Value(), 400);
    EXPECT_EQ(display.height, 400);
    EXPECT_EQ(display.left.Value(), CentredLeft(400));
    EXPECT_EQ(display.top.Value(), 100);
    EXPECT_DOUBLE_EQ(display.opacity, 75.0);
    EXPECT_EQ(display.pictureSource.Value(), 0);
    EXPECT_EQ(display.shuffle.Value(), 0);
    EXPECT_EQ(display.fixedPosition.Value(), 0);
    EXPECT_EQ(display.showSeconds.Value(), 1);
    EXPECT_EQ(display.userShadow.Value(), 4);
    EXPECT_EQ(display.fontName.Value(), L"");
    EXPECT_EQ(display.textAlign.Value(), 1);
    EXPECT_EQ(display.textPlacement.Value(), 0);
    EXPECT_EQ(display.rotationSpeed, 7);

    EXPECT_EQ(m_app.objectType.Value(), 3);
    EXPECT_EQ(m_app.imageTimer.Value(), 10);
    EXPECT_EQ(m_app.imageMode.Value(), 1);
    EXPECT_EQ(m_app.rotateSpeed.Value(), 7);
    EXPECT_EQ(m_app.stackingMode.Value(), 0);
    EXPECT_EQ(m_app.trayIfMinimize.Value(), 1);
    EXPECT_EQ(m_app.deactivateSeconds.Value(), 5);
    EXPECT_EQ(m_app.listMode.Value(), 2);
    EXPECT_EQ(m_app.imageFolder.Value(), L"");
    EXPECT_EQ(m_app.displayCount, 1);
    EXPECT_EQ(m_app.currentSlot, 0);
    EXPECT_EQ(loaded.autostart, 1);

    // One display runs, and loading only reads.
    EXPECT_EQ(m_hosts[0].createdSizes, std::vector<int>{400});
    for (int slot = 1; slot < kDisplaySlotCount; ++slot) EXPECT_TRUE(m_hosts[slot].createdSizes.empty());
    EXPECT_TRUE(m_preparedSlots.empty());
    EXPECT_EQ(ReadFileBytes(m_file), before);
}

TEST_F(SettingRecordsTest, StoredValuesAndTheirRules) {
    const struct {
        const wchar_t* content;
        const char* check;
        int (*actual)(const SettingRecordsTest&);
        int expected;
    } cases[] = {
        {L"m_rotate_speed=0\r\n", "rotation speed 0 becomes 1",
         [](const SettingRecordsTest& t) { return t.m_displays[0].rotationSpeed; }, 1},
        {L"m_rotate_speed=250\r\n", "rotation speed 250 becomes 100",
         [](const SettingRecordsTest& t) { return t.m_app.rotateSpeed.Value(); }, 100},
        {L"m_img_mode=-3\r\n", "aspect mode -3 becomes 0",
         [](const SettingRecordsTest& t) { return t.m_app.imageMode.Value(); }, 0},
        {L"m_img_mode=9\r\n", "aspect mode 9 becomes 1",
         [](const SettingRecordsTest& t) { return t.m_app.imageMode.Value(); }, 1},
        {L"m_image_timer=2\r\n", "interval 2 becomes 5",
         [](const SettingRecordsTest& t) { return t.m_app.imageTimer.Value(); }, 5},
        {L"disable=1\r\n", "disable is not read at start",
         [](const SettingRecordsTest& t) { return t.m_displays[0].disabled.Value(); }, 0},
        {L"cx=abc\r\n", "a non-number reads as 0, the smallest size",
         [](const SettingRecordsTest& t) { return t.m_displays[0].size.Value(); }, 128},
        {L"cx=512px\r\n", "leading digits count", [](const SettingRecordsTest& t) { return t.m_displays[0].height; },
         512},
        {L"cx=600\r\n", "the default left edge centres the loaded size",
         [](const SettingRecordsTest& t) { return t.m_displays[0].left.Value() - CentredLeft(600); }, 0},
        {L"point_x=-250\r\npoint_y=-40\r\n", "negative positions are kept",
         [](const SettingRecordsTest& t) { return t.m_displays[0].left.Value() + t.m_displays[0].top.Value(); }, -290},
        {L"transparency=40\r\n", "opacity follows transparency",
         [](const SettingRecordsTest& t) { return static_cast<int>(t.m_displays[0].opacity * 10); }, 400},
        {L"cx=300\r\ncx_2=900\r\nimg_id_2=2\r\n", "suffixed keys are ignored with one display",
         [](const SettingRecordsTest& t) { return t.m_displays[0].size.Value() + t.m_displays[1].size.Value(); }, 700},
        {L"img_id=2\r\n", "picture source",
         [](const SettingRecordsTest& t) { return t.m_displays[0].pictureSource.Value(); }, 2},
        {L"m_shuffle=1\r\n", "shuffle", [](const SettingRecordsTest& t) { return t.m_displays[0].shuffle.Value(); }, 1},
        {L"m_shuffle_2=1\r\n", "another slot's shuffle leaves this one off",
         [](const SettingRecordsTest& t) { return t.m_displays[0].shuffle.Value(); }, 0},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.check);
        m_app = AppConfig();
        m_displays = {};
        m_hosts = {};
        UseFile(testCase.content);
        Load();
        EXPECT_EQ(testCase.actual(*this), testCase.expected);
    }
}

// Every value read from the file is held to the range its control offers before anything uses
// it; the file is left as it is (it changes when a control does).
TEST_F(SettingRecordsTest, EveryValueReadIsHeldToTheRangeOfItsControl) {
    using Check = int (*)(const SettingRecordsTest&);
    const Check size = [](const SettingRecordsTest& t) { return t.m_displays[0].size.Value(); };
    const Check height = [](const SettingRecordsTest& t) { return t.m_displays[0].height; };
    const Check created = [](const SettingRecordsTest& t) { return t.m_hosts[0].createdSizes.at(0); };
    const Check interval = [](const SettingRecordsTest& t) { return t.m_app.imageTimer.Value(); };
    const Check transparency = [](const SettingRecordsTest& t) { return t.m_displays[0].transparency.Value(); };
    const Check opacity = [](const SettingRecordsTest& t) { return static_cast<int>(t.m_displays[0].opacity); };
    const Check left = [](const SettingRecordsTest& t) { return t.m_displays[0].left.Value(); };
    const Check top = [](const SettingRecordsTest& t) { return t.m_displays[0].top.Value(); };
    const Check speed = [](const SettingRecordsTest& t) { return t.m_displays[0].rotationSpeed; };
    const Check objectType = [](const SettingRecordsTest& t) { return t.m_app.objectType.Value(); };
    const Check stacking = [](const SettingRecordsTest& t) { return t.m_app.stackingMode.Value(); };
    const Check source = [](const SettingRecordsTest& t) { return t.m_displays[0].pictureSource.Value(); };
    const Check deactivateMode = [](const SettingRecordsTest& t) { return t.m_app.deactivateMode.Value(); };
    const Check deactivateSeconds = [](const SettingRecordsTest& t) { return t.m_app.deactivateSeconds.Value(); };
    const Check startCount = [](const SettingRecordsTest& t) { return t.m_app.startCount.Value(); };
    const std::wstring huge = L"99999999999999999999";
    const struct {
        std::wstring content;
        Check actual;
        int expected;
    } cases[] = {
        {L"cx=16000", size, 1500},
        {L"cx=16000", height, 1500},
        {L"cx=16000", created, 1500},
        {L"cx=-5", size, 128},
        {L"cx=-5", created, 128},
        {L"cx=" + huge, created, 1500},
        {L"cx=-" + huge, created, 128},
        {L"m_image_timer=0", interval, 5},
        {L"m_image_timer=61", interval, 60},
        {L"m_image_timer=" + huge, interval, 60},
        {L"transparency=0", transparency, 10},
        {L"transparency=0", opacity, 10},
        {L"transparency=" + huge, opacity, 100},
        {L"point_x=" + huge, left, 32767},
        {L"point_x=-" + huge, left, -32768},
        {L"point_y=-40000", top, -32768},
        {L"m_rotate_speed=" + huge, speed, 100},
        {L"m_clock_3d_type=8", objectType, 7},
        {L"m_clock_3d_type=-1", objectType, 0},
        {L"m_new_on_top_state=" + huge, stacking, 3},
        {L"img_id=3", source, 2},
        {L"img_id=-2", source, 0},
        {L"m_deactivate_mode=4", deactivateMode, 3},
        {L"m_deactivate_sec=0", deactivateSeconds, 5},
        {L"m_deactivate_sec=60", deactivateSeconds, 59},
        {L"m_img_mode=" + huge, [](const SettingRecordsTest& t) { return t.m_app.imageMode.Value(); }, 1},
        {L"tray_if_minimize=2", [](const SettingRecordsTest& t) { return t.m_app.trayIfMinimize.Value(); }, 1},
        {L"m_subfolder=-1", [](const SettingRecordsTest& t) { return t.m_app.subfolder.Value(); }, 0},
        {L"use_fix_time_format=9", [](const SettingRecordsTest& t) { return t.m_app.timeFormat.Value(); }, 4},
        {L"start_tray=-5", startCount, 0},
        {L"start_tray=2147483647", startCount, 2147483646},  // one more start still counts
        {L"fix_pos=2", [](const SettingRecordsTest& t) { return t.m_displays[0].fixedPosition.Value(); }, 1},
        {L"m_shuffle=7", [](const SettingRecordsTest& t) { return t.m_displays[0].shuffle.Value(); }, 1},
        {L"m_shuffle=-1", [](const SettingRecordsTest& t) { return t.m_displays[0].shuffle.Value(); }, 0},
        {L"show_sec=7", [](const SettingRecordsTest& t) { return t.m_displays[0].showSeconds.Value(); }, 1},
        {L"m_ddc_align=3", [](const SettingRecordsTest& t) { return t.m_displays[0].textAlign.Value(); }, 2},
        {L"m_ddc_bold=-1", [](const SettingRecordsTest& t) { return t.m_displays[0].textBold.Value(); }, 0},
        {L"m_ddc_top_N=5", [](const SettingRecordsTest& t) { return t.m_displays[0].textPlacement.Value(); }, 2},
        {L"m_ddc_outline=5", [](const SettingRecordsTest& t) { return t.m_displays[0].textOutline.Value(); }, 1},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(std::string(testCase.content.begin(), testCase.content.end()));
        m_app = AppConfig();
        m_displays = {};
        m_hosts = {};
        UseFile(testCase.content + L"\r\n");
        const auto before = ReadFileBytes(m_file);
        Load();
        EXPECT_EQ(testCase.actual(*this), testCase.expected);
        EXPECT_EQ(ReadFileBytes(m_file), before) << "reading wrote to the file";
    }

    // The view mode of the picture selection list, read when that dialog opens.
    UseFile(L"m_list_mode=9\r\n");
    EXPECT_EQ(m_app.listMode.Load(), 3);
}

// The ends of each range are the control's own choices, used as stored.
TEST_F(SettingRecordsTest, ValuesAtTheEndsOfTheirRangesAreUsedAsStored) {
    UseFile(L"cx=128\r\ntransparency=100\r\nm_image_timer=60\r\npoint_x=-32768\r\nm_deactivate_sec=59\r\n");
    Load();
    EXPECT_EQ(m_displays[0].size.Value(), 128);
    EXPECT_EQ(m_displays[0].transparency.Value(), 100);
    EXPECT_EQ(m_app.imageTimer.Value(), 60);
    EXPECT_EQ(m_displays[0].left.Value(), -32768);
    EXPECT_EQ(m_app.deactivateSeconds.Value(), 59);
}

TEST_F(SettingRecordsTest, TextPlacementIsReDefaultedBeforeReading) {
    UseFile(L"");
    m_displays[0].textPlacement.Hold(2);
    Load();
    EXPECT_EQ(m_displays[0].textPlacement.Value(), 0);
}

TEST_F(SettingRecordsTest, SliderClampsTheIntervalInMemoryOnly) {
    UseFile(L"m_image_timer=2\r\n");
    Load();
    m_app.SetImageTimerFromSlider(3);
    EXPECT_EQ(Stored(L"m_image_timer"), L"3");
    EXPECT_EQ(m_app.imageTimer.Value(), 5);
    m_app.SetImageTimerFromSlider(75);
    EXPECT_EQ(Stored(L"m_image_timer"), L"75");
    EXPECT_EQ(m_app.imageTimer.Value(), 60);
}

TEST_F(SettingRecordsTest, SettersWriteOnlyChanges) {
    UseFile(L"");
    Load();
    DisplayConfig& display = m_displays[0];

    EXPECT_TRUE(display.size.Set(512));
    EXPECT_EQ(Stored(L"cx"), L"512");
    // Another program changes the file; setting the held value again must not write over it.
    WritePrivateProfileStringW(L"Program", L"cx", L"999", m_file.c_str());
    EXPECT_FALSE(display.size.Set(512));
    EXPECT_EQ(Stored(L"cx"), L"999");
    EXPECT_TRUE(display.size.Set(513));
    EXPECT_EQ(Stored(L"cx"), L"513");

    // Setting the default that was never stored writes nothing either.
    EXPECT_FALSE(m_app.objectType.Set(3));
    EXPECT_EQ(Stored(L"m_clock_3d_type"), L"<missing>");

    const std::wstring folder = L"D:\\Bilder\\Ferien 2026";
    EXPECT_TRUE(m_app.imageFolder.Set(folder));
    EXPECT_EQ(Stored(L"m_image_folder"), EncodeSettingText(folder));
    WritePrivateProfileStringW(L"Program", L"m_image_folder", L"changed", m_file.c_str());
    EXPECT_FALSE(m_app.imageFolder.Set(folder));
    EXPECT_EQ(Stored(L"m_image_folder"), L"changed");

    EXPECT_TRUE(m_app.lastUsedClock.Set(L"Classic"));
    EXPECT_EQ(Stored(L"m_last_use_clock"), L"Classic");
}

TEST_F(SettingRecordsTest, ShuffleIsWrittenUnderTheKeyOfItsSlot) {
    UseFile(L"");
    m_app.displayCount = 2;
    Load();
    EXPECT_TRUE(m_displays[1].shuffle.Set(1));
    EXPECT_EQ(Stored(L"m_shuffle_2"), L"1");
    EXPECT_EQ(Stored(L"m_shuffle"), L"<missing>");
    EXPECT_TRUE(m_displays[0].shuffle.Set(1));
    EXPECT_TRUE(m_displays[0].shuffle.Set(0));
    EXPECT_EQ(Stored(L"m_shuffle"), L"0");

    // Read back as the next start reads it.
    m_displays = {};
    m_hosts = {};
    Load();
    EXPECT_EQ(m_displays[0].shuffle.Value(), 0);
    EXPECT_EQ(m_displays[1].shuffle.Value(), 1);
}

TEST_F(SettingRecordsTest, EncodedFolderReadsBack) {
    const std::wstring folder = L"C:\\Users\\Zoë\\Pictures";
    UseFile(L"m_image_folder=" + EncodeSettingText(folder) + L"\r\n");
    Load();
    EXPECT_EQ(m_app.imageFolder.Value(), folder);
}

TEST_F(SettingRecordsTest, DeepFoldersReadBackWhole) {
    // Far beyond what 1,023 characters of encoded text can hold, in a script whose code units
    // need five digits each.
    std::wstring folder = L"C:\\";
    while (folder.size() < 3000) folder += L"\x4E2D\x6587\x8DEF\x5F84\\";
    UseFile(L"m_image_folder=" + EncodeSettingText(folder) + L"\r\n");
    Load();
    EXPECT_EQ(m_app.imageFolder.Value(), folder);
}

TEST_F(SettingRecordsTest, PlacementIsWrittenSizeLeftTop) {
    UseFile(L"");
    DisplayConfig& display = m_displays[1];
    display.AssignSlot(1);
    display.size.Hold(640);
    display.left.Hold(-20);
    display.top.Hold(333);
    SaveDisplayPlacement(display);

    const auto bytes = ReadFileBytes(m_file);
    ASSERT_TRUE(bytes.has_value());
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes->data() + 2), (bytes->size() - 2) / 2);
    const size_t size = text.find(L"cx_2=640");
    const size_t left = text.find(L"point_x_2=-20");
    const size_t top = text.find(L"point_y_2=333");
    ASSERT_NE(size, std::wstring::npos);
    ASSERT_NE(left, std::wstring::npos);
    ASSERT_NE(top, std::wstring::npos);
    EXPECT_LT(size, left);
    EXPECT_LT(left, top);
}

TEST_F(SettingRecordsTest, FurtherSlotsLoadWithTheirSuffixes) {
    UseFile(L"cx=300\r\ncx_2=900\r\npoint_y_3=77\r\nm_ddc_bold_2=0\r\nm_shuffle_3=1\r\n");
    m_app.displayCount = 3;
    Load();
    EXPECT_EQ(m_preparedSlots, (std::vector<int>{1, 2}));
    EXPECT_EQ(m_app.currentSlot, 0);
    EXPECT_EQ(m_displays[0].size.Value(), 300);
    EXPECT_EQ(m_displays[1].size.Value(), 900);
    EXPECT_EQ(m_displays[1].textBold.Value(), 0);
    EXPECT_EQ(m_displays[2].top.Value(), 77);
    EXPECT_EQ(m_displays[0].shuffle.Value(), 0);
    EXPECT_EQ(m_displays[1].shuffle.Value(), 0);
    EXPECT_EQ(m_displays[2].shuffle.Value(), 1);
    EXPECT_EQ(m_hosts[1].createdSizes, std::vector<int>{900});
    EXPECT_EQ(m_hosts[2].createdSizes, std::vector<int>{400});
    EXPECT_TRUE(m_hosts[3].createdSizes.empty());
}

TEST(DisplaySlotSuffix, Slots) {
    const std::wstring expected[kDisplaySlotCount] = {L"", L"_2", L"_3", L"_4", L"_5", L"_6", L"_7", L"_8"};
    for (int slot = 0; slot < kDisplaySlotCount; ++slot) {
        SCOPED_TRACE(slot);
        EXPECT_EQ(DisplaySlotSuffix(slot), expected[slot]);
        EXPECT_EQ(DisplayConfig(slot).transparency.Key(), L"transparency" + expected[slot]);
    }
}

TEST(DefaultDisplayLeft, CentresOnTheVirtualScreen) {
    EXPECT_EQ(DefaultDisplayLeft(0, 1280, 400), 440);
    EXPECT_EQ(DefaultDisplayLeft(-1921, 1000, 401), -460 - 200);
    EXPECT_EQ(DefaultDisplayLeft(0, 1281, 128), 640 - 64);
}

}  // namespace
