#include "install/uninstallation.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/file_attributes.h"
#include "common/module_path.h"
#include "common/system_folders.h"
#include "common/unique_handle.h"
#include "install/admin_probe.h"
#include "install/install_detection.h"
#include "install/install_rules.h"
#include "install/installation.h"
#include "install/self_delete_batch.h"
#include "install/shell_link.h"
#include "install/uninstall_entry.h"
#include "install/uninstall_page.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "settings/ini_file.h"
#include "settings/settings_location.h"
#include "settings/settings_paths.h"
#include "system/autostart.h"

namespace {

// Whether the open file holds exactly the bytes of the file at `path`.
bool HoldsSameBytes(HANDLE file, const std::wstring& path) {
    UniqueHandle original(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER held{}, expected{};
    if (!original.IsValid() || !GetFileSizeEx(file, &held) || !GetFileSizeEx(original.Get(), &expected) ||
        held.QuadPart != expected.QuadPart) {
        return false;
    }
    constexpr DWORD kChunkBytes = 1 << 20;
    std::vector<char> heldChunk(kChunkBytes), expectedChunk(kChunkBytes);
    for (LONGLONG left = held.QuadPart; left > 0;) {
        const DWORD want = static_cast<DWORD>(std::min<LONGLONG>(left, kChunkBytes));
        DWORD heldRead = 0, expectedRead = 0;
        if (!ReadFile(file, heldChunk.data(), want, &heldRead, nullptr) ||
            !ReadFile(original.Get(), expectedChunk.data(), want, &expectedRead, nullptr) || heldRead != want ||
            expectedRead != want || std::memcmp(heldChunk.data(), expectedChunk.data(), want) != 0) {
            return false;
        }
        left -= want;
    }
    return true;
}

int ReadFlag(const std::wstring& info, const wchar_t* key) { return IniReadInt(kProgramSection, key, 0, -1, -1, info); }

std::wstring ReadRecordedPath(const std::wstring& info, const wchar_t* key) {
    std::wstring value;
    IniReadText(kProgramSection, key, value, info);
    return value;
}

// Deletes `path` when it is there; a file that stays is added to `notRemoved`.
void DeleteExistingFile(const std::wstring& path, std::vector<std::wstring>& notRemoved) {
    if (!IsExistingFile(path)) return;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileW(path.c_str())) notRemoved.push_back(path);
}

// Deletes a recorded shortcut when it is one of the installer's own: the right name in a
// desktop or start-menu folder, a link file that starts `program`. Returns the folder it was
// in, or empty when nothing was deleted; one that could not be deleted is added to `notRemoved`.
std::wstring DeleteRecordedShortcut(const std::wstring& recorded, const std::wstring& expectedName,
                                    const std::vector<std::wstring>& allowedFolders, const std::wstring& program,
                                    std::vector<std::wstring>& notRemoved) {
    if (!IsRemovableShortcutPath(recorded, expectedName, allowedFolders) || !IsExistingFile(recorded))
        return std::wstring();
    const std::optional<ShellLinkContent> link = ReadShellLink(recorded);
    if (!link || !SamePath(link->target, program)) return std::wstring();
    const size_t before = notRemoved.size();
    DeleteExistingFile(recorded, notRemoved);
    return notRemoved.size() == before ? FolderOfPath(recorded) : std::wstring();
}

}  // namespace

bool StartTemporaryUninstaller() {
    const std::wstring program = ProgramFilePath();
    const std::wstring folder = FolderOfPath(program);
    const std::wstring temporaryFolder = TemporaryFolderPath();
    if (program.empty() || folder.empty() || temporaryFolder.empty()) return false;
    const std::wstring info = PathInFolder(folder, kUninstallInfoName);
    const bool adminInstall = ReadFlag(info, kKeyAdminInstall) == 1;
    // A folder of its own: the copy may run with administrator rights, and the shared
    // temporary folder is open to every process of the user.
    const std::wstring ownFolder = CreateOwnTemporaryFolder(kTemporaryUninstallerFolderPrefix);
    if (ownFolder.empty()) return false;
    const std::wstring copy = TemporaryUninstallerPath(ownFolder, adminInstall || ProcessIsAdministrator());
    bool started = false;
    if (CopyFileW(program.c_str(), copy.c_str(), TRUE)) {
        // From the check of its content until it runs, the copy is held open without write or
        // delete sharing: what starts is this program, byte for byte.
        UniqueHandle held(CreateFileW(copy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (held.IsValid() && HoldsSameBytes(held.Get(), program)) {
            const std::wstring parameters = L" -?uninstall -?UNPATH:" + EncodeUninstallFolder(folder);
            SHELLEXECUTEINFOW start{};
            start.cbSize = sizeof(start);
            start.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOCLOSEPROCESS;
            start.lpVerb = adminInstall ? L"runas" : L"open";
            start.lpFile = copy.c_str();
            start.lpParameters = parameters.c_str();
            start.lpDirectory = temporaryFolder.c_str();
            start.nShow = SW_RESTORE;
            started = ShellExecuteExW(&start) != FALSE;
            // The process exists once the handle does; only then may the copy be let go.
            const UniqueHandle process(start.hProcess);
        }
    }
    if (!started) {
        DeleteFileW(copy.c_str());
        RemoveDirectoryW(ownFolder.c_str());
    }
    return started;
}

bool HoldsInstallation(const std::wstring& folder) { return IsExistingFile(PathInFolder(folder, kUninstallInfoName)); }

std::wstring InstallationFolderOfArgument(const std::wstring& argument) {
    const std::wstring folder = DecodeUninstallFolder(argument);
    if (folder.size() < 3) return std::wstring();
    if (HoldsInstallation(folder)) return folder;
    // Older copies wrote only the blanks encoded, and "%" as it is.
    const std::wstring oldForm = DecodeUninstallFolderOldForm(argument);
    if (oldForm != folder && oldForm.size() >= 3 && HoldsInstallation(oldForm)) return oldForm;
    return folder;
}

void ReportMissingInstallation(HWND owner, const std::wstring& folder) {
    ShowSetupMessage(owner, LangString(kTextNoInstallationHere) + L":\r\n" + folder);
}

std::vector<std::wstring> RemoveRecordedShortcuts(const std::wstring& info, const std::wstring& program) {
    std::vector<std::wstring> notRemoved;
    // Only where the installer makes them, for this user and for all users.
    const ShellFolders user = ShellFoldersFor(false);
    const ShellFolders common = ShellFoldersFor(true);
    const std::vector<std::wstring> desktops = {user.desktop, common.desktop};
    const std::vector<std::wstring> startMenus = {user.startMenuFolder, common.startMenuFolder};
    DeleteRecordedShortcut(ReadRecordedPath(info, kKeyDesktopShortcut), kProgramShortcutName, desktops, program,
                           notRemoved);
    std::vector<std::wstring> emptiedFolders;
    for (const auto& [key, name] : {std::pair{kKeyStartShortcut, kProgramShortcutName},
                                    std::pair{kKeyUninstallShortcut, kUninstallShortcutName}}) {
        const std::wstring from =
            DeleteRecordedShortcut(ReadRecordedPath(info, key), name, startMenus, program, notRemoved);
        if (!from.empty()) emptiedFolders.push_back(from);
    }
    for (const std::wstring& startMenu : emptiedFolders) RemoveDirectoryW(startMenu.c_str());
    return notRemoved;
}

std::vector<std::wstring> RemoveRegistryEntriesOf(const std::wstring& program) {
    std::vector<std::wstring> notRemoved;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        if (UninstallStringNamesProgram(ReadUninstallString(root, kProgramName), program) &&
            !DeleteUninstallEntryOf(root, kProgramName, program)) {
            notRemoved.push_back(UninstallEntryLocation(root, kProgramName));
        }
    }
    const std::wstring valueName = ProgramAutostartName();
    if (valueName.empty()) return notRemoved;
    for (bool allUsers : {false, true}) {
        if (AutostartStartsProgram(valueName, allUsers, program) && !RemoveAutostartOf(valueName, allUsers, program)) {
            notRemoved.push_back(AutostartValueLocation(valueName, allUsers));
        }
    }
    return notRemoved;
}

bool RemoveInstallation(HWND owner, const std::wstring& folder) {
    const std::wstring info = PathInFolder(folder, kUninstallInfoName);
    const std::wstring program = PathInFolder(folder, kInstalledProgramName);
    if (!HoldsInstallation(folder)) {
        ReportMissingInstallation(owner, folder);
        return false;
    }
    const bool portable = ReadFlag(info, kKeyPortableInstall) == 1;
    // The per-user settings file goes only when this installation made it: it may have been
    // there before (a portable copy that keeps its settings per user, an earlier installation).
    const std::wstring perUserSettings = InstalledSettingsPath(folder, false, false, ShellFolderPath(CSIDL_APPDATA));
    const bool perUserSettingsOwn = !portable && SamePath(ReadRecordedPath(info, kKeySettingsFile), perUserSettings);

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

    std::vector<std::wstring> notRemoved = RemoveRecordedShortcuts(info, program);
    // The files the installation puts into its folder, and the folder when nothing else is in it.
    DeleteExistingFile(program, notRemoved);
    DeleteExistingFile(PathInFolder(folder, kInstalledSettingsName), notRemoved);
    DeleteExistingFile(info, notRemoved);
    RemoveDirectoryW(folder.c_str());
    if (perUserSettingsOwn) {
        DeleteExistingFile(perUserSettings, notRemoved);
        RemoveDirectoryW(FolderOfPath(perUserSettings).c_str());
    }
    // Entries in the registry that name this installation's program, and no other.
    for (const std::wstring& entry : RemoveRegistryEntriesOf(program)) notRemoved.push_back(entry);

    if (!notRemoved.empty()) ShowSetupMessage(owner, ListMessage(LangString(kTextNotRemoved), notRemoved));
    return true;
}

UniqueHandle DeleteTemporaryUninstallerLater() {
    const std::wstring program = ProgramFilePath();
    if (!IsTemporaryUninstaller(program, TemporaryFolderPath())) return UniqueHandle();
    SelfDeletion deletion;
    deletion.fileToDelete = program;
    deletion.folderToRemove = FolderOfPath(program);
    return StartSelfDeletion(deletion);
}
