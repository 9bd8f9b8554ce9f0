#pragma once

#include <windows.h>

#include "lang/language_tables.h"

// The language menu of the settings dialog's "# LNG" button: the archive's languages with their
// completeness, and the translator's two tools. Main thread.

// Whether the developer's marker file "AtlMiscX" is in the current folder: the menu then numbers
// its languages.
bool LanguageMenuNumbered();

// The popup menu: one item per named language (the current one greyed), two columns for an
// archive of more than 12 sections, a separator, "Translate" and "Load from File (Unicode)".
// The caller owns the menu (DestroyMenu); null when none can be made.
HMENU CreateLanguageMenu(const LanguageArchive& archive, int currentLanguage, bool numbered);

// Carries out a command of the menu: a language becomes the current one (a loaded translation
// ends), "Translate" exports the template, "Load from File (Unicode)" asks for a translation
// file. Every command but 0 (no choice) then stores the current language as "lng", also when it
// did not change. Returns whether the settings dialog must show its texts again.
bool RunLanguageMenuCommand(int command);

// Opens the menu at the bottom-left corner of the "# LNG" button of `toolbar` (shown pressed while
// the menu is open), owned by `dialog`, and carries out the choice. The current language is greyed
// unless a translation file shows the texts. Returns whether the dialog must show its texts again.
bool ShowLanguageMenu(HWND dialog, HWND toolbar);
