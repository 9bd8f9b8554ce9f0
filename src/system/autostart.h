#pragma once

#include <string>

#include "system/run_command.h"

// Start with Windows: a value in the "Run" key of the current user or of all users, named after
// the program, whose text is the quoted program path followed by " -bg".

// 1 when the value exists, else 0. A value that belongs to this program but differs from its
// command line in any way (letter case, the switch) is rewritten with it, and so is one that names
// a program file that no longer exists (the program was moved). A value naming another copy of the
// program that still exists (an installed copy, while a portable one runs) is left alone.
int QueryAutostart(const std::wstring& valueName, bool allUsers);

// Writes the value with this program's command line; false when the key cannot be written.
bool WriteAutostart(const std::wstring& valueName, bool allUsers);
// Writes the value with the command line of the program file `programPath` (the installer
// writes the installed program's, not its own); false when the key cannot be written.
bool WriteAutostart(const std::wstring& valueName, bool allUsers, const std::wstring& programPath);

// Whether the value exists and starts the program file `programPath` (letter case of A-Z aside).
bool AutostartStartsProgram(const std::wstring& valueName, bool allUsers, const std::wstring& programPath);

// Deletes the value only when it starts the program file `programPath` (letter case of A-Z
// aside): the uninstaller takes away its installation's value and never another copy's.
// False when there was no such value or it could not be deleted.
bool RemoveAutostartOf(const std::wstring& valueName, bool allUsers, const std::wstring& programPath);

// Where the value lives, as a user reads it in a message: "HKEY_CURRENT_USER\SOFTWARE\...\Run\"
// + the value name (HKEY_LOCAL_MACHINE for all users).
std::wstring AutostartValueLocation(const std::wstring& valueName, bool allUsers);

// Deletes the value; false when it did not exist or could not be deleted.
bool RemoveAutostart(const std::wstring& valueName, bool allUsers);

// The name of the program's Run value, from its string resource 109; empty when that is missing.
std::wstring ProgramAutostartName();

// The state of the current user's value named by the program's string resource (1 or 0, as
// QueryAutostart); 0 when that name is missing. The all-users value, which the installer
// writes for an installation for all users, is repaired on the way by the same rule (as far
// as the process may write it); it does not count for the answer.
int QueryProgramAutostart();

// The "Start with Windows" check box: writes (flag 1) or removes (flag 0) the current user's
// value named by the program's string resource. Does nothing when that name is missing.
void SyncAutostart(int startWithWindows);
