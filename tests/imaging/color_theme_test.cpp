#include "imaging/color_theme.h"

#include <gtest/gtest.h>

#include <climits>

#include "imaging_test_support.h"

namespace {

constexpr ThemeColor Rgb(int red, int green, int blue) { return red | (green << 8) | (blue << 16); }

TEST(ColorTheme, BuiltInTable) {
    const ColorTheme expected[] = {
        {L"Windows - 98", {L"008088", L"000000", L"008088", L"000000"}},
        {L"Windows - 98 SE", {L"008088", L"000000", L"008088", L"FFFFFF"}},
        {L"Windows - XP", {L"0000FF", L"FF0000", L"0000FF", L"FFFFFF"}},
        {L"Windows - Vista", {L"333333", L"400080", L"330033", L"FFFFFF"}},
        {L"Windows - 7", {L"DDDDDD", L"888888", L"FFFFFF", L"FFFFFF"}},
        {L"Windows - 8", {L"DDDDDD", L"888888", L"FFFFFF", L"FFFFFF"}},
        {L"Windows - 8.1", {L"FFFFFF", L"000000", L"555555", L"999999"}},
        {L"Windows - 10", {L"FFFFFF", L"DDDDDD", L"444444", L"AAAAAA"}},
        {L"Windows - 11", {L"2288FF", L"FF0088", L"88FF88", L"FF4488"}},
        {L"Windows - 12", {L"2288FF", L"FF0088", L"88FF88", L"DDFF00"}},
        {L"Neo-1", {L"00FF00", L"00FFFF", L"000000", L"000000"}},
        {L"Neo-2", {L"FFFF00", L"00FF00", L"FF00FF", L"000000"}},
    };
    const std::span<const ColorTheme> builtIn = BuiltInColorThemes();
    ASSERT_EQ(builtIn.size(), std::size(expected));
    for (size_t row = 0; row < builtIn.size(); ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(builtIn[row].name, expected[row].name);
        EXPECT_EQ(builtIn[row].colors, expected[row].colors);
        // Every built-in colour reads back to the same text.
        for (const std::wstring& color : builtIn[row].colors) EXPECT_EQ(ColorToText(TextToColor(color)), color);
    }
}

TEST(ColorTheme, ColorToText) {
    const struct {
        ThemeColor color;
        const wchar_t* text;
    } cases[] = {
        {Rgb(0x12, 0x34, 0x56), L"123456"},
        {0, L"000000"},
        {Rgb(255, 255, 255), L"FFFFFF"},
        {Rgb(0xAB, 0, 0), L"AB0000"},
        {Rgb(0, 0, 0xCD), L"0000CD"},
        {-1, L"-1"},
        {INT_MIN, L"-1"},
        {0x01FFFFFF, L"FFFFFF"},  // the byte above blue is ignored
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.color);
        EXPECT_EQ(ColorToText(testCase.color), testCase.text);
    }
}

TEST(ColorTheme, TextToColor) {
    const ThemeColor grey = Rgb(128, 128, 128);
    const struct {
        const wchar_t* text;
        ThemeColor color;
    } cases[] = {
        // Three digits give one digit per channel: "FFF" is 15, 15, 15, not white.
        {L"FFF", Rgb(15, 15, 15)},
        {L"fff", Rgb(15, 15, 15)},
        {L"abc", Rgb(10, 11, 12)},
        {L"00FF80", Rgb(0, 255, 128)},
        {L"008088", Rgb(0, 0x80, 0x88)},
        {L"aBcDeF", Rgb(0xAB, 0xCD, 0xEF)},
        {L"12", grey},
        {L"", grey},
        {L"1234567", grey},
        {L"00ff8g", grey},
        {L" FF", grey},
        {L"-1", -1},
        {L"12-456", -1},
        {L"-", -1},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.text);
        EXPECT_EQ(TextToColor(testCase.text), testCase.color);
    }
}

TEST(ColorTheme, StoredValueForm) {
    EXPECT_EQ(ColorThemeValue(BuiltInColorThemes()[4]), L"color1=DDDDDD color2=888888 color3=FFFFFF color4=FFFFFF ");
    ColorTheme theme{L"x", {L"1", L"", L"-1", L"abc"}};
    EXPECT_EQ(ColorThemeValue(theme), L"color1=1 color2= color3=-1 color4=abc ");
}

TEST(ColorTheme, ApplyStoredValue) {
    const ColorTheme start{L"Windows - 7", {L"DDDDDD", L"888888", L"FFFFFF", L"FFFFFF"}};
    const struct {
        const wchar_t* value;
        std::array<std::wstring, 4> colors;
    } cases[] = {
        {L"color1=FFF color2=fff color3=12 color4=-1 ", {L"FFF", L"fff", L"12", L"-1"}},
        {L"", {L"DDDDDD", L"888888", L"FFFFFF", L"FFFFFF"}},
        {L"color3=123456", {L"DDDDDD", L"888888", L"123456", L"FFFFFF"}},
        // An empty value counts; a name without "=" does not, and it hides later occurrences.
        {L"color2= color4", {L"DDDDDD", L"", L"FFFFFF", L"FFFFFF"}},
        {L"color1 color1=000000", {L"DDDDDD", L"888888", L"FFFFFF", L"FFFFFF"}},
        {L"color1=111111 color1=222222", {L"111111", L"888888", L"FFFFFF", L"FFFFFF"}},
        // Names compare case-sensitively; only the first "=" cuts.
        {L"COLOR1=000000 color2=a=b", {L"DDDDDD", L"a=b", L"FFFFFF", L"FFFFFF"}},
        {L"\"color3=12 34\" color5=000000 color0=000000", {L"DDDDDD", L"888888", L"12 34", L"FFFFFF"}},
        {L"   color4=ABCDEF    ", {L"DDDDDD", L"888888", L"FFFFFF", L"ABCDEF"}},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.value);
        ColorTheme theme = start;
        ApplyColorThemeValue(testCase.value, theme);
        EXPECT_EQ(theme.colors, testCase.colors);
        EXPECT_EQ(theme.name, start.name);
    }

    // The edge case as colours: 15 in every channel twice, grey, and no colour.
    ColorTheme theme = start;
    ApplyColorThemeValue(L"color1=FFF color2=fff color3=12 color4=-1 ", theme);
    EXPECT_EQ(TextToColor(theme.colors[0]), Rgb(15, 15, 15));
    EXPECT_EQ(TextToColor(theme.colors[1]), Rgb(15, 15, 15));
    EXPECT_EQ(TextToColor(theme.colors[2]), Rgb(128, 128, 128));
    EXPECT_EQ(TextToColor(theme.colors[3]), -1);
}

TEST(ColorTheme, SavedValueReadsBack) {
    for (const ColorTheme& builtIn : BuiltInColorThemes()) {
        SCOPED_TRACE(builtIn.name);
        ColorTheme theme{builtIn.name, {L"0", L"0", L"0", L"0"}};
        ApplyColorThemeValue(ColorThemeValue(builtIn), theme);
        EXPECT_EQ(theme.colors, builtIn.colors);
    }
}

}  // namespace
