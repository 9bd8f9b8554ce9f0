#pragma once

#include <string>

#include "imaging/drawing_helper.h"

// A display's colour themes in the settings file: one key per theme index and display slot
// (ColorThemeKey) in the "Program" section. An index outside the theme table does nothing.

// The settings key of a theme: "ColorTheme_%03d" of the index, then the display's suffix (none
// for slot 0, "_2" to "_8" for slots 1 to 7).
std::wstring ColorThemeKey(int themeIndex, int displaySlot);

// Reads the stored value (at most 2048 characters) into row `themeIndex` of the table; a
// missing key leaves the row as it is.
void LoadColorTheme(CDraw2017& drawing, int displaySlot, int themeIndex);

// Writes row `themeIndex` in the stored form.
bool SaveColorTheme(const CDraw2017& drawing, int displaySlot, int themeIndex);

// Puts the built-in colours of the same row back (empty texts for rows past the built-in
// themes) and saves the row.
bool ResetColorTheme(CDraw2017& drawing, int displaySlot, int themeIndex);
