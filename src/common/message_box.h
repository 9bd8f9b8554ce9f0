#pragma once

#include <windows.h>

// The program's few fatal-error messages: a message box without owner.
inline void ShowErrorMessage(const wchar_t* text, const wchar_t* caption, UINT icon = MB_ICONERROR) {
    MessageBoxW(nullptr, text, caption, MB_OK | icon);
}

// True when the program runs under Wine (ntdll exports wine_get_version there).
inline bool RunsUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
