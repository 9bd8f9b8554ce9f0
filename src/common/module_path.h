#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The full path of the program's own file, of any length Windows allows; empty when it cannot
// be read whole.
inline std::wstring ProgramFilePath() {
    std::vector<wchar_t> buffer(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size()) return std::wstring();
    return std::wstring(buffer.data(), length);
}
