#include "setup/uninstallation.h"

#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "app/autostart.h"
#include "common/module_path.h"
#include "common/system_folders.h"
#include "lang/language_archive.h"
#include "settings/ini_file.h"
#include "settings/settings_location.h"
#include "settings/settings_paths.h"
#include "setup/admin_probe.h"
#include "setup/install_rules.h"
#include "setup/installation.h"
#include "setup/self_delete_batch.h"
#include "setup/shell_link.h"
#include "setup/uninstall_entry.h"
#include "setup/uninstall_page.h"

namespace {

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool HoldsInstallation(const std::wstring& folder) {
    return IsFile(PathInFolder(folder, kInstalledProgramName)) || IsFile(PathInFolder(folder, kUninstallInfoName));
}

int ReadFlag(const std::wstring& info, const wchar_t* key) { return IniReadInt(kProgramSection, key, 0, -1, -1, info); }

std::wstring ReadRecordedPath(const std::wstring& info, const wchar_t* key) {
    std::wstring value;
    IniReadText(kProgramSection, key, value, info);
    return value;
}

// Deletes a recorded shortcut when it is one of the installer's own: the right name in a
// desktop or start-menu folder, a link file that starts `program`. Returns the folder it was
// in, or empty when nothing was deleted.
std::wstring DeleteRecordedShortcut(const std::wstring& recorded, const std::wstring& expectedName,
                                    const std::vector<std::wstring>& allowedFolders, const std::wstring& program) {
    if (!IsRemovableShortcutPath(recorded, expectedName, allowedFolders) || !IsFile(recorded)) return std::wstring();
    const std::optional<ShellLinkContent> link = ReadShellLink(recorded);
    if (!link || !SamePath(link->target, program)) return std::wstring();
    if (!DeleteFileW(recorded.c_str())) return std::wstring();
    return FolderOfPath(recorded);
}

}  // namespace

bool StartTemporaryUninstaller() {
    const std::wstring program = ProgramFilePath();
    const std::wstring folder = FolderOfPath(program);
    const std::wstring temporaryFolder = TemporaryFolderPath();
    if (program.empty() || folder.empty() || temporaryFolder.empty()) return false;
    const std::wstring info = PathInFolder(folder, kUninstallInfoName);
    const bool adminInstall = ReadFlag(info, kKeyAdminInstall) == 1;
    const std::wstring copy = TemporaryUninstallerPath(temporaryFolder, adminInstall || ProcessIsAdministrator());
    if (SamePath(copy, program) || !CopyFileW(program.c_str(), copy.c_str(), FALSE)) return false;

    const std::wstring parameters = L" -?uninstall -?UNPATH:" + EncodeUninstallFolder(folder);
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof(start);
    start.fMask = SEE_MASK_FLAG_NO_UI;
    start.lpVerb = adminInstall ? L"runas" : L"open";
    start.lpFile = copy.c_str();
    start.lpParameters = parameters.c_str();
    start.lpDirectory = temporaryFolder.c_str();
    start.nShow = SW_RESTORE;
    if (!ShellExecuteExW(&start)) {
        DeleteFileW(copy.c_str());
        return false;
    }
    return true;
}

std::wstring InstallationFolderOfArgument(const std::wstring& argument) {
    const std::wstring folder = DecodeUninstallFolder(argument);
    if (folder.size() < 3) return std::wstring();
    if (HoldsInstallation(folder)) return folder;
    // Older copies wrote only the blanks encoded, and "%" as it is.
    const std::wstring oldForm = DecodeUninstallFolderOldForm(argument);
    if (oldForm != folder && oldForm.size() >= 3 && HoldsInstallation(oldForm)) return oldForm;
    return folder;
}

bool RemoveInstallation(HWND owner, const std::wstring& folder) {
    const std::wstring info = PathInFolder(folder, kUninstallInfoName);
    const std::wstring program = PathInFolder(folder, kInstalledProgramName);
    const bool forAllUsers = ReadFlag(info, kKeyForAllInstall) == 1;
    const bool portable = ReadFlag(info, kKeyPortableInstall) == 1;

    // The first stage, which started this copy from the installed program, may still be on its
    // way out: give it a moment before taking the program for a running copy.
    bool free = ProgramFileIsFree(program);
    for (int wait = 0; !free && wait < 30; ++wait) {
        Sleep(100);
        free = ProgramFileIsFree(program);
    }
    if (!free) {
        ReportRunningCopy(owner, program);
        return false;
    }

    // Shortcuts: only where the installer makes them, for this user and for all users.
    const ShellFolders user = ShellFoldersFor(false);
    const ShellFolders common = ShellFoldersFor(true);
    const std::vector<std::wstring> desktops = {user.desktop, common.desktop};
    const std::vector<std::wstring> startMenus = {user.startMenuFolder, common.startMenuFolder};
    DeleteRecordedShortcut(ReadRecordedPath(info, kKeyDesktopShortcut), kProgramShortcutName, desktops, program);
    std::vector<std::wstring> emptiedFolders;
    for (const auto& [key, name] : {std::pair{kKeyStartShortcut, kProgramShortcutName},
                                    std::pair{kKeyUninstallShortcut, kUninstallShortcutName}}) {
        const std::wstring from = DeleteRecordedShortcut(ReadRecordedPath(info, key), name, startMenus, program);
        if (!from.empty()) emptiedFolders.push_back(from);
    }
    for (const std::wstring& startMenu : emptiedFolders) RemoveDirectoryW(startMenu.c_str());

    // The files the installation puts into its folder, and the folder when nothing else is in it.
    DeleteFileW(program.c_str());
    DeleteFileW(PathInFolder(folder, kInstalledSettingsName).c_str());
    DeleteFileW(info.c_str());
    RemoveDirectoryW(folder.c_str());
    // An installed program that is not portable keeps its settings in the user's folder.
    if (!portable) {
        const std::wstring settings = InstalledSettingsPath(folder, false, false, ShellFolderPath(CSIDL_APPDATA));
        DeleteFileW(settings.c_str());
        RemoveDirectoryW(FolderOfPath(settings).c_str());
    }

    // Entries in the registry that name this installation's program, and no other.
    DeleteUninstallEntryOf(forAllUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, kProgramName, program);
    DeleteUninstallEntryOf(forAllUsers ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, kProgramName, program);
    const std::wstring valueName = ProgramAutostartName();
    if (!valueName.empty()) {
        RemoveAutostartOf(valueName, false, program);
        RemoveAutostartOf(valueName, true, program);
    }
    return true;
}

bool DeleteTemporaryUninstallerLater() {
    const std::wstring program = ProgramFilePath();
    const std::wstring temporaryFolder = TemporaryFolderPath();
    if (!IsTemporaryUninstaller(program, temporaryFolder)) return false;
    const std::wstring batch = SelfDeleteBatchPath(temporaryFolder);
    if (!WriteSelfDeletingBatch(batch, program, std::wstring())) return false;
    if (StartSelfDeletingBatch(batch)) return true;
    DeleteFileW(batch.c_str());
    return false;
}
