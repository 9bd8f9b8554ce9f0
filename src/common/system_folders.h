#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

// The temporary folder with its trailing backslash, as the system names it for this user; empty
// when it names none.
inline std::wstring TemporaryFolderPath() {
    std::vector<wchar_t> buffer(MAX_PATH + 1, L'\0');
    DWORD length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length >= buffer.size()) {
        buffer.assign(length + 1, L'\0');
        length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    }
    return length > 0 && length < buffer.size() ? std::wstring(buffer.data(), length) : std::wstring();
}

// A folder of the shell (a CSIDL_ value), without a trailing backslash; empty when the system
// has none.
inline std::wstring ShellFolderPath(int folderId) {
    wchar_t folder[MAX_PATH] = L"";
    if (!SHGetSpecialFolderPathW(nullptr, folder, folderId, FALSE)) return std::wstring();
    return folder;
}
