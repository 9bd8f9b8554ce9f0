#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Colour themes of a display's drawing object: named sets of four colours, kept as colour texts
// of six hexadecimal digits (red, green, blue).

// A colour as Windows keeps it (red in the low byte, then green, then blue), or -1 for none.
using ThemeColor = int32_t;
inline constexpr ThemeColor kNoThemeColor = -1;

struct ColorTheme {
    std::wstring name;
    std::array<std::wstring, 4> colors;  // color1 .. color4
};

inline constexpr int kColorThemeTableRows = 128;

// The themes every display starts with, in row order (without the terminating empty row).
std::span<const ColorTheme> BuiltInColorThemes();

// Row 4, "Windows - 7": the theme a drawing object starts with.
inline constexpr int kInitialColorThemeIndex = 4;

// "RRGGBB" in upper case; "-1" for a negative colour.
std::wstring ColorToText(ThemeColor color);

// A text holding "-" is no colour (-1). Three hexadecimal digits give one digit per channel
// (0 to 15), six give two; any other text gives grey (128, 128, 128).
ThemeColor TextToColor(std::wstring_view text);

// The stored form: "color1=<c1> color2=<c2> color3=<c3> color4=<c4> ".
std::wstring ColorThemeValue(const ColorTheme& theme);

// Takes the colours of a stored value into `theme`: for each of color1 .. color4 whose first
// occurrence in the value carries "=", its value (possibly empty) replaces the colour. Missing
// names, and names written without "=", leave the colour as it was.
void ApplyColorThemeValue(std::wstring_view value, ColorTheme& theme);
