#include "imaging/drawing_helper.h"

#include <gtest/gtest.h>

namespace {

constexpr ThemeColor Rgb(int red, int green, int blue) { return red | (green << 8) | (blue << 16); }

TEST(CDraw2017, ConstructionState) {
    CDraw2017 drawing;
    EXPECT_EQ(drawing.FontName(), L"Tahoma");
    const DrawTextSettings& text = drawing.TextSettings();
    EXPECT_EQ(text.alignment, 1);
    EXPECT_TRUE(text.bold);
    EXPECT_TRUE(text.italic);
    EXPECT_FALSE(text.noShadow);
    EXPECT_TRUE(text.outline);
    EXPECT_TRUE(text.showDate);
    EXPECT_TRUE(text.showSeconds);

    ASSERT_EQ(drawing.Themes().size(), 128u);
    const std::span<const ColorTheme> builtIn = BuiltInColorThemes();
    for (size_t row = 0; row < builtIn.size(); ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(drawing.Themes()[row].name, builtIn[row].name);
        EXPECT_EQ(drawing.Themes()[row].colors, builtIn[row].colors);
    }
    EXPECT_TRUE(drawing.Themes()[builtIn.size()].name.empty()) << "the row after the built-in themes ends the list";

    EXPECT_EQ(drawing.CurrentThemeIndex(), 4);
    const std::array<ThemeColor, 4> windows7 = {Rgb(0xDD, 0xDD, 0xDD), Rgb(0x88, 0x88, 0x88), Rgb(255, 255, 255),
                                                Rgb(255, 255, 255)};
    EXPECT_EQ(drawing.CurrentColors(), windows7);
}

TEST(CDraw2017, EachObjectHasItsOwnTable) {
    CDraw2017 first, second;
    first.Themes()[2].colors[0] = L"123456";
    first.UseTheme(2);
    EXPECT_EQ(first.CurrentColors()[0], Rgb(0x12, 0x34, 0x56));
    EXPECT_EQ(second.Themes()[2].colors[0], L"0000FF");
    first.UseTheme(-1);
    EXPECT_EQ(first.CurrentThemeIndex(), -1);
    EXPECT_EQ(first.CurrentColors()[0], Rgb(0x12, 0x34, 0x56)) << "no theme keeps the colours";
}

}  // namespace
