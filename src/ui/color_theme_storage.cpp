#include "ui/color_theme_storage.h"

#include <cwchar>
#include <string>

#include "settings/display_config.h"
#include "settings/ini_file.h"

namespace {

constexpr unsigned kStoredThemeCapacity = 2048;

bool IsTableRow(const CDraw2017& drawing, int themeIndex) {
    return themeIndex >= 0 && themeIndex < static_cast<int>(drawing.Themes().size());
}

}  // namespace

std::wstring ColorThemeKey(int themeIndex, int displaySlot) {
    wchar_t key[32];
    std::swprintf(key, 32, L"ColorTheme_%03d", themeIndex);
    return key + DisplaySlotSuffix(displaySlot);
}

void LoadColorTheme(CDraw2017& drawing, int displaySlot, int themeIndex) {
    if (!IsTableRow(drawing, themeIndex)) return;
    std::wstring value;
    IniReadText(ColorThemeKey(themeIndex, displaySlot).c_str(), value, kStoredThemeCapacity);
    ApplyColorThemeValue(value, drawing.Themes()[themeIndex]);
}

bool SaveColorTheme(const CDraw2017& drawing, int displaySlot, int themeIndex) {
    if (!IsTableRow(drawing, themeIndex)) return false;
    return IniWriteText(ColorThemeKey(themeIndex, displaySlot).c_str(), ColorThemeValue(drawing.Themes()[themeIndex]));
}

bool ResetColorTheme(CDraw2017& drawing, int displaySlot, int themeIndex) {
    if (!IsTableRow(drawing, themeIndex)) return false;
    const std::span<const ColorTheme> builtIn = BuiltInColorThemes();
    ColorTheme& theme = drawing.Themes()[themeIndex];
    if (themeIndex < static_cast<int>(builtIn.size())) {
        theme.colors = builtIn[themeIndex].colors;
    } else {
        theme.colors = {};
    }
    return SaveColorTheme(drawing, displaySlot, themeIndex);
}
