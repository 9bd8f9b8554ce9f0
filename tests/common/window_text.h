#pragma once

#include <windows.h>

#include <string>

// The text of a window as GetWindowTextW gives it, whatever its length: the title of a top-level
// window, the text of a control of this process, or the text the system keeps for a static or
// button of another process (for another process's edit control it is the text the control was
// made with; ask the control with WM_GETTEXT for what it shows now). Empty for no window.
std::wstring WindowText(HWND window);

// The class name of a window; empty for no window.
std::wstring WindowClassName(HWND window);
