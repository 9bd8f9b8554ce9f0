#pragma once

#include <windows.h>

// What the program shows once its main window exists, on the main window's first message: the
// tray icon with its watchdog, then the settings dialog, whose initialisation loads the
// settings and creates the displays. The dialog shows itself on the first start only.
void StartVisibleParts(HWND mainWindow);

// At the end of the message loop: the workers are asked to stop and waited for, and the tray
// icon goes.
void StopVisibleParts();

// Puts the tray icon back after the shell lost it (a restarted taskbar); nothing before the
// visible parts started.
void ShowTrayIconAgain();
