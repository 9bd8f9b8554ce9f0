#pragma once

#include <optional>
#include <string>

#include "common/unique_handle.h"

// The self-deleting batch file that removes a program file once its process has ended (the
// running file cannot be deleted), then optionally a second file and an emptied folder, then
// itself and the folder of the program's own that holds it.
//
// The command interpreter reads the file in the ANSI code page and expands "%" in it, also
// inside quotes. So each path must be given as the ANSI code page names it exactly (see
// ExactAnsiPath), and every "%" is written doubled, which the interpreter reads as one. It runs
// with delayed expansion off, so that a "!" in a path stays what it is.

// The folders of the program's own that hold a self-deleting batch: the temporary folder +
// this + a number.
inline constexpr const wchar_t* kSelfDeleteFolderPrefix = L"Orbelin_selfdestruct_";

// The batch's paths, all ANSI texts.
struct SelfDeleteBatchPaths {
    std::string fileToDelete;    // deleted again and again until it is gone
    std::string secondFile;      // then deleted once; may be empty
    std::string folderToRemove;  // then removed when it is empty; may be empty
    std::string batchFile;       // the batch itself, deleted last
    // The batch's own folder, which it leaves (to its parent folder: the batch runs in its own
    // folder) and removes together with itself; may be empty.
    std::string batchFolder;
};

// The batch text; lines end in "\r\n". Nothing when the program file or the batch is empty or a
// path holds a character that no quoted path may hold (a double quote, a control character
// such as a line break).
std::optional<std::string> SelfDeleteBatchText(const SelfDeleteBatchPaths& paths);

// What a self-deleting batch removes, as wide paths.
struct SelfDeletion {
    std::wstring fileToDelete;    // must exist
    std::wstring secondFile;      // left out when empty or missing
    std::wstring folderToRemove;  // left out when empty or missing; removed only when empty
};

// Writes the batch `batchFile`, which must not exist yet, for `deletion`; with
// `removeBatchFolder` it also removes the folder that holds it (a folder of the program's own).
// Returns the batch opened for reading without write or delete sharing, after its content was
// read back and found unchanged: nobody can change it while the handle lives, and its owner
// keeps it until it has started the batch, better until the process ends. Invalid when a path
// cannot be named in the ANSI code page even by its short form or the file cannot be written
// (then no batch file is left behind).
UniqueHandle WriteSelfDeletingBatch(const std::wstring& batchFile, const SelfDeletion& deletion,
                                    bool removeBatchFolder);

// Starts the batch hidden, by the command interpreter with delayed expansion off, in the
// batch's own folder. False when it cannot be started (or its file name holds a character the
// interpreter would expand).
bool StartSelfDeletingBatch(const std::wstring& batchFile);

// The path of the batch in `folder` (with its trailing backslash): + "Orbelin_selfdestruct.bat".
std::wstring SelfDeleteBatchPath(const std::wstring& folder);

// The whole self-deletion: a new folder of the program's own under the temporary folder (that
// only administrators may change, when the process has their rights), the batch in it, and its
// start. Returns the open batch (see WriteSelfDeletingBatch), which the caller keeps until it
// ends; invalid when no batch was started (then neither batch nor folder are left).
UniqueHandle StartSelfDeletion(const SelfDeletion& deletion);
