#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "browser/update_start_arguments.h"
#include "browser/update_target_rules.h"

// The start of a received program file with "Path=" and "Version=": it replaces only an older
// copy of this program, and only when it is itself the version the start names. It asks the
// running program at that path to end, waits until its file can be written, puts itself in its
// place, starts it with the user's ordinary rights and has the received file deleted once it has
// ended. Whatever fails is said in a message box, and says what became of the old program file.

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
    kReplaced,          // `programPath` now holds a copy of `newProgram`
    kCopyFailed,        // the copy could not be made beside the old file; nothing changed
    kSwapFailed,        // the old file could not be moved aside or the copy not into its place; the old file is back
    kOldFileKeptAside,  // the copy could not take the old file's place, nor the old file go back: it is at `keptAs`
};

struct ReplaceOutcome {
    ReplaceResult result = ReplaceResult::kCopyFailed;
    std::wstring keptAs;  // kOldFileKeptAside: where the old program file is now
};

// Renames `from` to `to`; never replaces a file that is there. True on success.
using FileMove = std::function<bool(const std::wstring& from, const std::wstring& to)>;
bool MoveFileWithoutReplacing(const std::wstring& from, const std::wstring& to);

// Puts a copy of `newProgram` in the place of `programPath`: the copy is made beside the old
// file first, the old file is moved aside, the copy takes its name, and only then is the old file
// deleted; a failure on the way puts the old file back, and the outcome says whether that
// worked. Both side files get names of their own (the program's name, a number and
// ".update-new" or ".update-old") that no file had before: a file that is there already is
// never replaced or deleted. `move` does every rename.
ReplaceOutcome ReplaceProgramFile(const std::wstring& programPath, const std::wstring& newProgram,
                                  const FileMove& move = MoveFileWithoutReplacing);

// The text ids of the update start's messages.
enum UpdateInstallText : int {
    kUpdateNotInstalledText = 226,        // "#APP# XX could not be installed."
    kUpdateReplacesItselfText = 227,      // the received file was started with its own path
    kUpdateTargetMissingText = 228,       // the file to replace is not there
    kUpdateTargetForeignText = 229,       // the file to replace is not this program
    kUpdateWrongVersionText = 230,        // the received file is not version XX of this program
    kUpdateTargetNotOlderText = 231,      // the file to replace is version XX, not older
    kUpdateProgramKeptRunningText = 232,  // the running program did not end within 20 seconds
    kUpdateCopyFailedText = 233,
    kUpdateSwapFailedText = 234,
    kUpdateProgramKeptText = 235,   // "The program stays as it was:"
    kUpdateOldFileAsideText = 236,  // "The old program file could not be put back. It is kept as:"
    kUpdateRenameItText = 237,      // "Give it back its name:"
    kUpdateNotStartedText = 238,    // "#APP# XX is installed but could not be started:"
};

// The message of an update that was not installed: that version `version` could not be
// installed, `reason`, and that the program file at `programPath` stays as it was.
std::wstring UpdateFailureText(const std::wstring& version, const std::wstring& reason,
                               const std::wstring& programPath);
// The same when the old program file could not be put back: where it is kept and the name it
// must get back.
std::wstring UpdateOldFileAsideText(const std::wstring& version, const std::wstring& reason,
                                    const std::wstring& programPath, const std::wstring& keptAs);
// The reason for a refusal of CheckUpdateTarget; `versionText` is the start's "Version=" and
// `targetVersion` the version of the file to replace.
std::wstring UpdateRefusalReason(UpdateTargetVerdict verdict, const std::wstring& versionText,
                                 const std::wstring& targetVersion);
// The caption of every message of the update start: "Orbelin - " and text 203.
std::wstring UpdateMessageCaption();
