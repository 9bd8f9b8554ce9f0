#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "install/install_rules.h"

// The program's entry in the Windows list of installed programs: the key
// "Software\Microsoft\Windows\CurrentVersion\Uninstall\" + the entry name below
// HKEY_LOCAL_MACHINE (installation for all users) or HKEY_CURRENT_USER.

// The registry key of the entry named `entryName` ("Orbelin").
std::wstring UninstallKeyPath(const std::wstring& entryName);

// Where the entry lives, as a user reads it in a message: "HKEY_CURRENT_USER\\" or
// "HKEY_LOCAL_MACHINE\\" + its key.
std::wstring UninstallEntryLocation(HKEY root, const std::wstring& entryName);

// The entry's "UninstallString" under `root`; empty when the key or value is missing or the
// value is anything but a properly terminated string (binary data, a string without its
// closing null, an odd number of bytes).
std::wstring ReadUninstallString(HKEY root, const std::wstring& entryName);

// Creates the entry (or opens an existing one) and writes `values`, strings as REG_SZ and the
// number as REG_DWORD. False when the key cannot be created or a value not written.
bool WriteUninstallEntry(HKEY root, const std::wstring& entryName, const std::vector<UninstallEntryValue>& values);

// Deletes the entry with all its values, but only when its "UninstallString" names the program
// file `programPath`: an entry that another copy of the program wrote stays. False when there
// was no such entry or it could not be deleted.
bool DeleteUninstallEntryOf(HKEY root, const std::wstring& entryName, const std::wstring& programPath);
