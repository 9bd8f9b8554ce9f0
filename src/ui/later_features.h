#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Parts of the settings dialog that the program does not have yet. Each is called where the
// user asks for it; until it exists the request changes nothing.

// The language menu under the footer's "# LNG" button.
void ShowLanguageMenu(HWND settingsDialog, HWND button);

// The menu bar of the settings dialog with its "Info" menu, given again after a language change.
void AttachInfoMenuBar(HWND settingsDialog);
