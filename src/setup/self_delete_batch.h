#pragma once

#include <optional>
#include <string>
#include <vector>

// The self-deleting batch file that removes a program file once its process has ended (the
// running file cannot be deleted), then optionally a second file, then itself.
//
// The command interpreter reads the file in the ANSI code page and expands "%" in it, also
// inside quotes. So each path must be given as the ANSI code page names it exactly (see
// ExactAnsiPath), and every "%" is written doubled, which the interpreter reads as one.

// The batch text for `fileToDelete` (deleted again and again until it is gone), `secondFile`
// (may be empty: then the three-path form) and `batchFile` itself, all ANSI texts; lines end
// in "\r\n". Nothing when a path is empty or holds a character that no quoted path may hold
// (a double quote, a control character such as a line break).
std::optional<std::string> SelfDeleteBatchText(const std::string& fileToDelete, const std::string& secondFile,
                                               const std::string& batchFile);

// Writes the batch for the given wide paths to `batchFile`, replacing an existing file. The
// program file must exist; a second file that is empty or missing is left out. False when a
// path cannot be
// named in the ANSI code page even by its short form, or the file cannot be written (then
// no batch file is left behind).
bool WriteSelfDeletingBatch(const std::wstring& batchFile, const std::wstring& fileToDelete,
                            const std::wstring& secondFile);

// Starts the batch hidden, by the command interpreter, in the batch's own folder. False when
// it cannot be started (or its file name holds a character the interpreter would expand).
bool StartSelfDeletingBatch(const std::wstring& batchFile);

// The path of the batch: the temporary folder (with its trailing backslash) + "Orbelin" +
// "_selfdestruct.bat".
std::wstring SelfDeleteBatchPath(const std::wstring& temporaryFolder);
