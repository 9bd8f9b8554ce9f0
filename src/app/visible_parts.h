#pragma once

#include <windows.h>

// What the program shows once its main window exists: the tray icon with its watchdog, then the
// settings are loaded and the display of slot 0 is created, on the main window's first message. Until the settings dialog takes over
// the loading, the main window does it itself.
void StartVisibleParts(HWND mainWindow);

// At the end of the message loop: the workers are asked to stop and waited for, and the tray
// icon goes.
void StopVisibleParts();
