#pragma once

#include <windows.h>

// The program's few fatal-error messages: a message box without owner.
inline void ShowErrorMessage(const wchar_t* text, const wchar_t* caption, UINT icon = MB_ICONERROR) {
    MessageBoxW(nullptr, text, caption, MB_OK | icon);
}

// A message with an OK button, owned by the window that is active now (none when the program
// has no active window).
inline void ShowOwnedMessage(const wchar_t* text, const wchar_t* caption) {
    MessageBoxW(GetActiveWindow(), text, caption, MB_OK);
}

// True when the program runs under Wine (ntdll exports wine_get_version there).
inline bool RunsUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
