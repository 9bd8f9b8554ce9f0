#include "ui/color_theme_storage.h"

#include <gtest/gtest.h>

#include "common/test_files.h"
#include "settings/ini_file.h"

namespace {

constexpr ThemeColor Rgb(int red, int green, int blue) { return red | (green << 8) | (blue << 16); }

TEST(ColorThemeStorage, KeyCarriesIndexAndDisplaySuffix) {
    const struct {
        int index, slot;
        const wchar_t* key;
    } cases[] = {
        {0, 0, L"ColorTheme_000"},   {2, 0, L"ColorTheme_002"},    {0, 1, L"ColorTheme_000_2"},
        {7, 2, L"ColorTheme_007_3"}, {12, 7, L"ColorTheme_012_8"}, {127, 3, L"ColorTheme_127_4"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testing::Message() << testCase.key);
        EXPECT_EQ(ColorThemeKey(testCase.index, testCase.slot), testCase.key);
    }
}

class ColorThemeStorageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteFileBytes(m_file, Utf16FileBytes(L"[Program]\r\n")));
        SetSettingsPath(m_file);
    }
    void TearDown() override { SetSettingsPath(L""); }
    void Store(const std::wstring& key, const wchar_t* value) {
        ASSERT_TRUE(WritePrivateProfileStringW(L"Program", key.c_str(), value, m_file.c_str()));
    }

    TestFolder m_folder{L"themes"};
    std::wstring m_file = m_folder / L"Orbelin.ini";
};

TEST_F(ColorThemeStorageTest, LoadTakesTheStoredColours) {
    Store(L"ColorTheme_001", L"color1=FFF color2=fff color3=12 color4=-1 ");
    CDraw2017 drawing;
    LoadColorTheme(drawing, 0, 1);
    const ColorTheme& theme = drawing.Themes()[1];
    EXPECT_EQ(theme.name, L"Windows - 98 SE");
    EXPECT_EQ(TextToColor(theme.colors[0]), Rgb(15, 15, 15));
    EXPECT_EQ(TextToColor(theme.colors[1]), Rgb(15, 15, 15));
    EXPECT_EQ(TextToColor(theme.colors[2]), Rgb(128, 128, 128));
    EXPECT_EQ(TextToColor(theme.colors[3]), -1);
}

TEST_F(ColorThemeStorageTest, MissingKeyKeepsTheBuiltInColours) {
    Store(L"ColorTheme_000_2", L"color1=111111 color2=111111 color3=111111 color4=111111 ");
    CDraw2017 drawing;
    for (int index = 0; index < 3; ++index) {
        SCOPED_TRACE(index);
        LoadColorTheme(drawing, 0, index);
        EXPECT_EQ(drawing.Themes()[index].colors, BuiltInColorThemes()[index].colors);
    }
}

TEST_F(ColorThemeStorageTest, KeysOfEveryDisplaySlot) {
    const wchar_t* const keys[] = {L"ColorTheme_002",   L"ColorTheme_002_2", L"ColorTheme_002_3", L"ColorTheme_002_4",
                                   L"ColorTheme_002_5", L"ColorTheme_002_6", L"ColorTheme_002_7", L"ColorTheme_002_8"};
    for (int slot = 0; slot < 8; ++slot) {
        SCOPED_TRACE(slot);
        CDraw2017 drawing;
        drawing.Themes()[2].colors = {L"0" + std::to_wstring(slot) + L"0000", L"111111", L"222222", L"333333"};
        EXPECT_TRUE(SaveColorTheme(drawing, slot, 2));
        const std::wstring expected =
            L"color1=0" + std::to_wstring(slot) + L"0000 color2=111111 color3=222222 color4=333333 ";
        // The profile functions drop the trailing blank when they read a value back; the file has it.
        EXPECT_EQ(ReadIniValue(m_file, L"Program", keys[slot]) + L" ", expected);

        CDraw2017 fresh;
        LoadColorTheme(fresh, slot, 2);
        EXPECT_EQ(fresh.Themes()[2].colors, drawing.Themes()[2].colors);
    }
    const auto bytes = ReadFileBytes(m_file);
    ASSERT_TRUE(bytes.has_value());
    const std::wstring content(reinterpret_cast<const wchar_t*>(bytes->data() + 2), (bytes->size() - 2) / 2);
    EXPECT_NE(content.find(L"ColorTheme_002_8=color1=070000 color2=111111 color3=222222 color4=333333 \r\n"),
              std::wstring::npos);
}

TEST_F(ColorThemeStorageTest, ResetPutsTheBuiltInColoursBackAndSavesThem) {
    CDraw2017 drawing;
    drawing.Themes()[8].colors = {L"000000", L"000000", L"000000", L"000000"};
    EXPECT_TRUE(ResetColorTheme(drawing, 3, 8));
    EXPECT_EQ(drawing.Themes()[8].colors, BuiltInColorThemes()[8].colors);
    EXPECT_EQ(ReadIniValue(m_file, L"Program", L"ColorTheme_008_4") + L" ",
              L"color1=2288FF color2=FF0088 color3=88FF88 color4=FF4488 ");

    // Rows past the built-in themes have no colours to go back to.
    drawing.Themes()[40].colors = {L"ABCDEF", L"ABCDEF", L"ABCDEF", L"ABCDEF"};
    EXPECT_TRUE(ResetColorTheme(drawing, 0, 40));
    EXPECT_EQ(drawing.Themes()[40].colors, (std::array<std::wstring, 4>{}));
}

TEST_F(ColorThemeStorageTest, IndexesOutsideTheTableDoNothing) {
    Store(L"ColorTheme_128", L"color1=123456 ");
    CDraw2017 drawing;
    const std::vector<ColorTheme> before = drawing.Themes();
    for (int index : {-1, 128, 100000}) {
        SCOPED_TRACE(index);
        LoadColorTheme(drawing, 0, index);
        EXPECT_FALSE(SaveColorTheme(drawing, 0, index));
        EXPECT_FALSE(ResetColorTheme(drawing, 0, index));
    }
    EXPECT_EQ(drawing.Themes().size(), before.size());
    for (size_t row = 0; row < before.size(); ++row) EXPECT_EQ(drawing.Themes()[row].colors, before[row].colors);
    EXPECT_EQ(ReadIniValue(m_file, L"Program", L"ColorTheme_-01"), L"<missing>");
}

}  // namespace
