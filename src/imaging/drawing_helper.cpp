#include "imaging/drawing_helper.h"

#include "imaging/gdiplus_api.h"

CDraw2017::CDraw2017() : m_themes(kColorThemeTableRows) {
    const std::span<const ColorTheme> builtIn = BuiltInColorThemes();
    for (size_t row = 0; row < builtIn.size() && row < m_themes.size(); ++row) m_themes[row] = builtIn[row];
    UseTheme(kInitialColorThemeIndex);
    StartGdiplusAgain();
}

void CDraw2017::UseTheme(int index) {
    m_currentThemeIndex = index;
    if (index < 0 || index >= static_cast<int>(m_themes.size())) return;
    for (size_t i = 0; i < m_currentColors.size(); ++i) m_currentColors[i] = TextToColor(m_themes[index].colors[i]);
}
