#pragma once

#include <windows.h>

#include <string>

#include "setup/update_start_arguments.h"

// The start of a received program file with "Path=" and "Version=": it asks the running program
// at that path to end, waits until its file can be written, puts itself in its place and starts
// it. Whatever fails leaves the old program file in place and says so in a message box.

// How long the running program has to let go of its file.
inline constexpr DWORD kProgramReleaseWaitMs = 20000;

// Runs the replacement of `request.programPath` by this program file. Returns the exit code (0).
int RunUpdateInstall(const UpdateStartRequest& request);

// Asks every running copy of the program file `programPath` to end: its main window (class
// "Orbelin") and its browser windows get WM_CLOSE. Returns how many windows were asked.
int AskRunningProgramToEnd(const std::wstring& programPath);

// Waits until `path` can be opened for writing with no one else sharing it, at most `timeoutMs`.
bool WaitUntilWritable(const std::wstring& path, DWORD timeoutMs);

enum class ReplaceResult {
    kReplaced,    // `programPath` now holds a copy of `newProgram`
    kCopyFailed,  // the copy could not be made beside the old file; nothing changed
    kSwapFailed,  // the old file could not be moved aside or the copy not into its place; the old file is back
};

// Puts a copy of `newProgram` in the place of `programPath`: the copy is made beside the old
// file first, the old file is moved aside, the copy takes its name, and only then is the old file
// deleted; a failure on the way puts the old file back.
ReplaceResult ReplaceProgramFile(const std::wstring& programPath, const std::wstring& newProgram);

// The message of a failed update: what failed, and that the program stays as it was.
std::wstring UpdateFailureText(const std::wstring& version, const std::wstring& reason,
                               const std::wstring& programPath);
inline constexpr const wchar_t* kUpdateFailureCaption = L"Orbelin update";
