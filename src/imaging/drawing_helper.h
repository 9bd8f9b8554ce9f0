#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "imaging/color_theme.h"

// Text settings a display hands to its drawing object (the m_ddc_ keys and show_sec).
struct DrawTextSettings {
    int alignment = 1;  // 0 left, 1 right, 2 centre
    bool bold = true;
    bool italic = true;
    bool noShadow = false;  // the inverse of the m_ddc_shadow setting
    bool outline = true;
    bool showDate = true;
    bool showSeconds = true;
    int placement = 0;  // m_ddc_top_N
};

// The 2D drawing object of a display. It holds the display's colour themes and text settings;
// constructing one also starts GDI+ for the picture code.
class CDraw2017 {
public:
    // Font "Tahoma", default text settings, the theme table filled from the built-in themes
    // (the row after the last built-in one has an empty name, which ends the list), current
    // colours from row 4 "Windows - 7", then GDI+ start-up.
    CDraw2017();
    virtual ~CDraw2017() = default;
    CDraw2017(const CDraw2017&) = delete;
    CDraw2017& operator=(const CDraw2017&) = delete;

    const std::wstring& FontName() const { return m_fontName; }
    void SetFontName(const std::wstring& fontName) { m_fontName = fontName; }
    const DrawTextSettings& TextSettings() const { return m_textSettings; }
    void SetTextSettings(const DrawTextSettings& settings) { m_textSettings = settings; }

    // The theme table: always kColorThemeTableRows rows.
    std::vector<ColorTheme>& Themes() { return m_themes; }
    const std::vector<ColorTheme>& Themes() const { return m_themes; }

    int CurrentThemeIndex() const { return m_currentThemeIndex; }
    const std::array<ThemeColor, 4>& CurrentColors() const { return m_currentColors; }
    // Takes the four colours of table row `index` as the current colours; an index outside the
    // table only sets the index (-1 means none).
    void UseTheme(int index);
    void SetCurrentThemeIndex(int index) { m_currentThemeIndex = index; }

private:
    std::wstring m_fontName = L"Tahoma";
    DrawTextSettings m_textSettings;
    std::vector<ColorTheme> m_themes;
    int m_currentThemeIndex = kInitialColorThemeIndex;
    std::array<ThemeColor, 4> m_currentColors{};
};
