#pragma once

#include <windows.h>

#include <string>

#include "common/proc_address.h"

// Libraries of the system are loaded from the system folder only. The program runs from
// download folders and, as the temporary uninstaller or a received update, with administrator
// rights from folders that any process of the user can write: a library of the same name
// planted beside the program file must never be the one that is loaded.

// Loads the system library `name` (a plain file name such as "gdiplus.dll") from the system
// folder. Returns null when it is not there; the caller owns the reference (FreeLibrary).
inline HMODULE LoadSystemLibrary(const wchar_t* name) {
    HMODULE library = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) return library;
    // A system without the restricted search (Windows 7 before its update KB2533623) answers
    // the flag with ERROR_INVALID_PARAMETER: name the file in the system folder itself.
    wchar_t folder[MAX_PATH] = L"";
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// Restricts the library search of the whole process to the system folder: every later load by
// plain name (also the loads of the system's own libraries and of the libraries the program
// loads on first use) no longer looks into the program's folder or the current folder. Returns
// false on a system that cannot restrict it (then only the current folder is taken out).
inline bool RestrictLibrarySearchToSystemFolder() {
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    auto setDefaultDirectories = GetProcAddressAs<SetDefaultDllDirectoriesFunction>(GetModuleHandleW(L"kernel32.dll"),
                                                                                    "SetDefaultDllDirectories");
    if (setDefaultDirectories != nullptr && setDefaultDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
    SetDllDirectoryW(L"");
    return false;
}
