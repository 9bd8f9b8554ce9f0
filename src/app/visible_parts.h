#pragma once

#include <windows.h>

#include <functional>

// What the start-up knows that the visible parts need, handed over before the main window exists:
// whether the program started in the background ("-bg": the first start then does not show the
// settings window), and how another copy is started in this one's place (restart, uninstall; see
// StartInPlaceOfThisCopy).
void PrepareVisibleParts(bool background, std::function<bool(const std::function<bool()>&)> startInPlace);

// What the program shows once its main window exists, on the main window's first message: the
// settings, whose loading creates the displays, and the displays' first frames; then the tray
// icon with its watchdog and the settings dialog, which shows itself on the first start only.
void StartVisibleParts(HWND mainWindow);

// At the end of the message loop: the workers are asked to stop and waited for, and the tray
// icon goes.
void StopVisibleParts();

// Puts the tray icon back after the shell lost it (a restarted taskbar); nothing before the
// visible parts started.
void ShowTrayIconAgain();
