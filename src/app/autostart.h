#pragma once

#include <string>

// Start with Windows: a value in the "Run" key of the current user or of all users, named after
// the program, whose text is the quoted program path followed by " -bg".

// The text of the Run value for a program file.
std::wstring AutostartCommandLine(const std::wstring& modulePath);

// 1 when the value exists, else 0. A value whose text differs from this program's command line
// in any way (the program was moved, or only letter case differs) is rewritten with it.
int QueryAutostart(const std::wstring& valueName, bool allUsers);

// Writes the value with this program's command line; false when the key cannot be written.
bool WriteAutostart(const std::wstring& valueName, bool allUsers);

// Deletes the value; false when it did not exist or could not be deleted.
bool RemoveAutostart(const std::wstring& valueName, bool allUsers);

// The state of the current user's value named by the program's string resource (1 or 0, as
// QueryAutostart); 0 when that name is missing.
int QueryProgramAutostart();

// The "Start with Windows" check box: writes (flag 1) or removes (flag 0) the current user's
// value named by the program's string resource. Does nothing when that name is missing.
void SyncAutostart(int startWithWindows);
