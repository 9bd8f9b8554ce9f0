// The settings dialog's texts, built from the archive inside the built program.
#include <gtest/gtest.h>

#include <string>

#include "common/built_program_languages.h"
#include "common/test_files.h"
#include "lang/language_archive.h"
#include "settings/setting_value.h"
#include "ui/settings_dialog_texts.h"

namespace {

class SettingsDialogTextsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(LoadBuiltProgramArchive()) << "the archive of the program named by ORBELIN_EXE";
    }
    void SetUp() override { SetCurrentLanguageIndex(kLanguageEnglish); }
    void TearDown() override { SetCurrentLanguageIndex(kLanguageEnglish); }
};

TEST_F(SettingsDialogTextsTest, TitleNamesProgramVersionAndMode) {
    const SettingsDialogTexts installed = BuildSettingsDialogTexts(false);
    const SettingsDialogTexts portable = BuildSettingsDialogTexts(true);
    EXPECT_EQ(installed.title, std::wstring(LangHeaderText(19)) + L" - x64");
    EXPECT_EQ(portable.title, std::wstring(LangHeaderText(19)) + L" - x64 - Portable");
    EXPECT_EQ(installed.title.rfind(L"Orbelin ", 0), 0u) << "the title starts with the program name";
}

TEST_F(SettingsDialogTextsTest, EnglishListsInStoredValueOrder) {
    const SettingsDialogTexts texts = BuildSettingsDialogTexts(false);
    const std::vector<std::wstring> objects = {L"3D cube",          L"3D cube (2)",          L"3D cube (3)",
                                               L"Rocking 3D cube ", L"Rocking 3D cube  (2)", L"Rocking 3D cube  (3)",
                                               L"Rotating square",  L"Rotating square (2)"};
    EXPECT_EQ(texts.objectTypes, objects);
    const std::vector<std::wstring> stacking = {L"Always on Top", L"Always on Top + Forced", L"Only on the desktop",
                                                L"Only on the desktop + Forced", L"FAQ + ???"};
    EXPECT_EQ(texts.stackingModes, stacking);
    EXPECT_EQ(texts.stackingModes.size(), static_cast<size_t>(kStackingFaqEntry + 1));
    const std::vector<std::wstring> sources = {L"Example images", L"Pictures from a folder",
                                               L"Individual picture selection"};
    EXPECT_EQ(texts.pictureSources, sources);
    const std::vector<std::wstring> aspects = {L"Keep  ", L"Keep and stretch "};
    EXPECT_EQ(texts.aspectModes, aspects);
    const std::vector<std::wstring> modes = {L"None", L"If mouse events", L"If pressing a key",
                                             L"If pressing a key or mouse events"};
    EXPECT_EQ(texts.deactivationModes, modes);
}

TEST_F(SettingsDialogTextsTest, HeadingsCarryAColon) {
    const SettingsDialogTexts texts = BuildSettingsDialogTexts(false);
    const struct {
        const std::wstring& actual;
        const wchar_t* expected;
    } cases[] = {
        {texts.sizeHeading, L"Size: "},
        {texts.opacityHeading, L"Transparency: "},
        {texts.sourceHeading, L"Image source: "},
        {texts.aspectHeading, L"Aspect ratio : "},
        {texts.rotateSpeedHeading, L"Rotation Speed: "},
        {texts.intervalHeading, L"Image exchange: "},  // the text's own blanks are trimmed
        {texts.deactivationHeading, L"Deactivation: "},
        {texts.fixedPosition, L"Fixed at that position"},
        {texts.shuffle, L"Shuffle"},
        {texts.disable, L"Disable"},
        {texts.centre, L"center of the screen"},
        {texts.startWithWindows, L"Start with Windows"},
        {texts.donate, L"Donate"},
        {texts.exit, L"Exit"},
        {texts.toTray, L"To-Tray"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(testing::Message() << "expected " << testing::PrintToString(std::wstring(row.expected)));
        EXPECT_EQ(row.actual, row.expected);
    }
    EXPECT_NE(texts.fixedPositionTip.find(L"Orbelin stops responding to the mouse"), std::wstring::npos);
}

TEST_F(SettingsDialogTextsTest, DeactivationSecondsStartWithTheirValue) {
    // The unit after the number has no text in the archive; the value is read back from the
    // entry's leading digits, so every entry must still start with its number.
    const SettingsDialogTexts texts = BuildSettingsDialogTexts(false);
    ASSERT_EQ(texts.deactivationSeconds.size(), 55u);
    for (size_t i = 0; i < texts.deactivationSeconds.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ReadLeadingInt(texts.deactivationSeconds[i]), kFirstDeactivationSecond + static_cast<int>(i));
    }
    EXPECT_EQ(texts.deactivationSeconds.front().rfind(L"5 ", 0), 0u);
    EXPECT_EQ(texts.deactivationSeconds.back().rfind(L"59 ", 0), 0u);
}

TEST_F(SettingsDialogTextsTest, GermanTextsFollowTheLanguage) {
    SetCurrentLanguageIndex(kLanguageGerman);
    const SettingsDialogTexts german = BuildSettingsDialogTexts(false);
    SetCurrentLanguageIndex(kLanguageEnglish);
    const SettingsDialogTexts english = BuildSettingsDialogTexts(false);
    EXPECT_NE(german.sizeHeading, english.sizeHeading);
    EXPECT_NE(german.pictureSources, english.pictureSources);
    EXPECT_EQ(german.objectTypes.size(), 8u);
}

TEST(SettingsDialogLabels, ValueLabels) {
    EXPECT_EQ(SizeLabel(400), L"400");
    const struct {
        int position;
        const wchar_t* label;
    } opacity[] = {{10, L"90 %"}, {75, L"25 %"}, {100, L"0 %"}};
    for (const auto& row : opacity) {
        SCOPED_TRACE(row.position);
        EXPECT_EQ(OpacityLabel(row.position), row.label);
    }
    EXPECT_EQ(PercentLabel(7), L"7 %");
    EXPECT_EQ(IntervalLabel(5, L"sec."), L"5 sec.");
    EXPECT_EQ(IntervalLabel(60, L"sec."), L"60 sec.");
}

}  // namespace
