#pragma once

#include <windows.h>

#include <string>

// The program's hidden top-level window. It is never shown; it answers a second start of the
// program and ends the message loop when it is closed.

inline constexpr UINT_PTR kBringSettingsToFrontTimer = 1000;
inline constexpr UINT kBringSettingsToFrontDelayMs = 500;

// The window message "Orbelin" that a second start sends to every top-level window. Registered
// once at program start; 0 before that.
UINT SecondStartMessage();
void RegisterSecondStartMessage();

// Registers the main window class under `className`. Returns false on failure.
bool RegisterMainWindowClass(HINSTANCE instance, const std::wstring& className);

// Creates the hidden main window. Returns null on failure.
HWND CreateMainWindow(HINSTANCE instance, const std::wstring& className, const std::wstring& title);

// A start that found the program running keeps its main window free of everything visible.
void SuppressVisibleParts();

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
