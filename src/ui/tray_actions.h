#pragma once

#include <windows.h>

// What a click on the program's tray icon does. `mouseMessage` is the mouse message the shell
// reported; only a left press (show or hide the settings dialog) and a right press (the tray
// menu) do anything.
void OnTrayIconNotification(LPARAM mouseMessage);

// The tray menu in the current language: Exit, Disable (checked while the displays are
// disabled), a separator and the program title. The caller owns the menu; null when none can be
// made.
HMENU CreateTrayMenu();
