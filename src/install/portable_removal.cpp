#include "install/portable_removal.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "common/file_attributes.h"
#include "common/system_folders.h"
#include "install/install_detection.h"
#include "install/install_rules.h"
#include "install/self_delete_batch.h"
#include "install/uninstall_entry.h"
#include "install/uninstallation.h"
#include "settings/settings_location.h"
#include "settings/settings_paths.h"

namespace {

// The existing programs that uninstall entries (of this user and of all users) name.
std::vector<std::wstring> InstalledPrograms() {
    std::vector<std::wstring> programs;
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        const std::wstring program = ProgramPathOfUninstallString(ReadUninstallString(root, kProgramName));
        if (!program.empty() && IsExistingFile(program)) programs.push_back(program);
    }
    return programs;
}

}  // namespace

UniqueHandle RemovePortableCopy(const std::wstring& programPath, const std::wstring& settingsPath) {
    const std::wstring perUserSettings =
        InstalledSettingsPath(FolderOfPath(programPath), false, false, ShellFolderPath(CSIDL_APPDATA));
    SelfDeletion deletion;
    deletion.fileToDelete = programPath;
    deletion.secondFile =
        SettingsFileOfPortableRemoval(programPath, settingsPath, perUserSettings, InstalledPrograms());
    // The per-user folder goes with its file when nothing else is left in it.
    if (!deletion.secondFile.empty() && SamePath(deletion.secondFile, perUserSettings)) {
        deletion.folderToRemove = FolderOfPath(perUserSettings);
    }
    UniqueHandle batch = StartSelfDeletion(deletion);
    // Without a batch that can delete the program, the copy stays whole and keeps running.
    if (!batch.IsValid()) return batch;

    RemoveRegistryEntriesOf(programPath);
    // A portable installation made shortcuts and recorded them beside the program.
    const std::wstring folder = FolderOfPath(programPath);
    const std::wstring info = PathInFolder(folder, kUninstallInfoName);
    if (SamePath(FileNameOfPath(programPath), kInstalledProgramName) && IsExistingFile(info)) {
        RemoveRecordedShortcuts(info, programPath);
        DeleteFileW(info.c_str());
    }
    return batch;
}
