#include "install/installation.h"

#include <shellapi.h>
#include <shlobj.h>

#include <ctime>

#include "common/file_attributes.h"
#include "common/module_path.h"
#include "common/system_folders.h"
#include "common/unique_handle.h"
#include "install/admin_probe.h"
#include "install/install_detection.h"
#include "install/shell_link.h"
#include "install/uninstall_entry.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "settings/ini_file.h"
#include "settings/settings_location.h"
#include "settings/settings_paths.h"
#include "system/autostart.h"
#include "system/running_copy_signal.h"
#include "web/web_address.h"
#include "web/web_root.h"

namespace {

// Creates `folder` with every missing parent. Returns the folders it made, outermost first, so
// that a failed installation can take them away again; `complete` tells whether the folder
// exists as a folder afterwards.
std::vector<std::wstring> CreateFolderTree(const std::wstring& folder, bool& complete) {
    std::vector<std::wstring> created;
    for (const std::wstring& step : FolderChain(folder)) {
        if (IsExistingFolder(step)) continue;
        if (!CreateDirectoryW(step.c_str(), nullptr)) break;
        created.push_back(step);
    }
    complete = IsExistingFolder(folder);
    return created;
}

// Removes the folders a failed installation made, innermost first; a folder that holds anything
// stays.
void RemoveCreatedFolders(const std::vector<std::wstring>& created) {
    for (auto it = created.rbegin(); it != created.rend(); ++it) RemoveDirectoryW(it->c_str());
}

// A new, empty UTF-16 file (byte-order mark only), so that the profile functions keep every
// character of the values written to it. An existing file is made UTF-16 in place.
bool PrepareUnicodeIniFile(const std::wstring& path) {
    if (PathExists(path)) return ConvertSettingsFileToUnicode(path);
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    static const unsigned char kByteOrderMark[2] = {0xFF, 0xFE};
    DWORD written = 0;
    return WriteFile(file.Get(), kByteOrderMark, sizeof(kByteOrderMark), &written, nullptr) && written == 2;
}

// The local time as the date in the locale's long form, a blank and the time.
std::wstring InstallTimeText() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (local == nullptr) return std::wstring();
    wchar_t date[128] = L"";
    wchar_t time[64] = L"";
    if (wcsftime(date, 128, L"%#x", local) == 0) wcsftime(date, 128, L"%x", local);
    wcsftime(time, 64, L"%X", local);
    return std::wstring(date) + L" " + time;
}

bool WriteInstallKeys(const std::wstring& file, const InstallChoices& choices, const std::wstring& folder,
                      bool administrator) {
    bool written = IniWriteText(kProgramSection, kKeyInstallDir, folder, file);
    written = IniWriteInt(kProgramSection, kKeyAdminInstall, administrator ? 1 : 0, file) && written;
    written = IniWriteInt(kProgramSection, kKeyForAllInstall, choices.forAllUsers ? 1 : 0, file) && written;
    written = IniWriteInt(kProgramSection, kKeyPortableInstall, choices.portable ? 1 : 0, file) && written;
    written = IniWriteInt(kProgramSection, kKeyLanguage, choices.language, file) && written;
    return written;
}

bool MakeShortcut(const std::wstring& linkPath, const std::wstring& programPath, const std::wstring& folder,
                  const std::wstring& arguments) {
    ShellLinkContent content;
    content.target = programPath;
    content.arguments = arguments;
    content.workingFolder = folder;
    content.iconFile = programPath;
    content.iconIndex = 0;
    return CreateShellLink(linkPath, content);
}

std::wstring MakerLineForEntry() {
    // The maker line ends in the host name without its top-level domain: "de" for a German
    // user interface, "com" otherwise.
    return LangHeaderString(kHeaderMakerNotice) + (GermanInterface() ? L"de" : L"com");
}

}  // namespace

int ShowSetupMessage(HWND owner, const std::wstring& text, UINT buttons) {
    return MessageBoxW(owner, text.c_str(), L"", buttons);
}

ShellFolders ShellFoldersFor(bool allUsers) {
    ShellFolders folders;
    folders.desktop = ShellFolderPath(allUsers ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY);
    const std::wstring programs = ShellFolderPath(allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS);
    if (!programs.empty()) folders.startMenuFolder = PathInFolder(programs, kStartMenuFolderName);
    return folders;
}

std::optional<std::wstring> InstalledFolderFromEntry(bool forAllUsers) {
    const std::wstring entry = ReadUninstallString(forAllUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, kProgramName);
    const std::wstring program = ProgramPathOfUninstallString(entry);
    const std::wstring folder = FolderOfPath(program);
    if (folder.empty()) return std::nullopt;
    return folder;
}

FolderListInput SystemFolderListInput(bool administrator, bool portable, bool forAllUsers) {
    FolderListInput input;
    input.administrator = administrator;
    input.portable = portable;
    input.programFilesFolder = ShellFolderPath(CSIDL_PROGRAM_FILES);
    input.appDataFolder = ShellFolderPath(CSIDL_APPDATA);
    const DWORD drives = GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if ((drives & (1u << letter)) == 0) continue;
        const wchar_t root[] = {static_cast<wchar_t>(L'A' + letter), L':', L'\\', L'\0'};
        DriveInfo drive;
        drive.root = root;
        // A floppy drive is not asked at all: asking may wait for a disk.
        switch (letter < 2 ? DRIVE_REMOVABLE : GetDriveTypeW(root)) {
            case DRIVE_REMOVABLE:
                drive.kind = DriveKind::kRemovable;
                break;
            case DRIVE_FIXED:
                drive.kind = DriveKind::kFixed;
                break;
            case DRIVE_REMOTE:
                drive.kind = DriveKind::kRemote;
                break;
            case DRIVE_CDROM:
                drive.kind = DriveKind::kCdRom;
                break;
            case DRIVE_RAMDISK:
                drive.kind = DriveKind::kRamDisk;
                break;
            default:
                drive.kind = DriveKind::kOther;
                break;
        }
        input.drives.push_back(drive);
    }
    input.existingInstallation = InstalledFolderFromEntry(forAllUsers);
    return input;
}

bool ProgramFileIsFree(const std::wstring& path) {
    if (!PathExists(path)) return true;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsValid();
}

void ReportRunningCopy(HWND owner, const std::wstring& programPath) {
    ShowSetupMessage(owner, LangString(kTextFileAccessError) + L":\r\n" + programPath + L"\r\n\r\n" +
                                LangString(kTextCloseTheProgram));
    SignalRunningCopies();
}

std::optional<std::wstring> FullInstallFolder(const std::wstring& folderText) {
    const std::wstring folder = NormalizeInstallFolder(folderText);
    if (!IsFullFolderPath(folder)) return std::nullopt;
    std::vector<wchar_t> full(32768, L'\0');
    const DWORD length = GetFullPathNameW(folder.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size()) return std::nullopt;
    const std::wstring canonical = NormalizeInstallFolder(std::wstring(full.data(), length));
    if (!IsFullFolderPath(canonical)) return std::nullopt;
    return canonical;
}

InstallResult InstallProgram(HWND owner, const InstallChoices& choices) {
    InstallResult result;
    const std::wstring typed = NormalizeInstallFolder(choices.folderText.substr(0, 1024));
    result.folder = typed;

    // 1. The folder, by its full path: a relative one would be taken from whatever folder is
    // current and land in the uninstall entry, the shortcuts and the Run value as it is.
    const std::optional<std::wstring> full = FullInstallFolder(typed);
    if (!full) {
        ShowSetupMessage(owner, LangString(kTextFullPathNeeded) + L":\r\n" + typed);
        return result;
    }
    const std::wstring folder = *full;
    result.folder = folder;
    const std::wstring cannotCreate = LangString(kTextFolderNotCreated) + L":\r\n" + folder;
    // With all missing parents; one whose files could not be named is refused before anything
    // is made.
    if (!InstallFolderFitsPathLimit(folder)) {
        ShowSetupMessage(owner, cannotCreate);
        return result;
    }
    bool folderReady = false;
    const std::vector<std::wstring> createdFolders = CreateFolderTree(folder, folderReady);
    if (!folderReady) {
        RemoveCreatedFolders(createdFolders);
        ShowSetupMessage(owner, cannotCreate);
        return result;
    }

    // 2. and 3. An existing program file: ask, then make sure no copy of it runs.
    const std::wstring program = PathInFolder(folder, kInstalledProgramName);
    result.programPath = program;
    const bool programExisted = PathExists(program);
    const std::wstring copyFailed = LangString(kTextCreationError) + L":\r\n" + program;
    if (IsExistingFolder(program)) {
        // A folder in the program file's place is nothing to overwrite.
        ShowSetupMessage(owner, copyFailed);
        return result;
    }
    if (programExisted) {
        const std::wstring question =
            OverwriteQuestion(LangString(kTextFileExists), program, LangString(kTextSettingsKept));
        if (ShowSetupMessage(owner, question, MB_OKCANCEL) != IDOK) return result;
        if (!ProgramFileIsFree(program)) {
            ReportRunningCopy(owner, program);
            return result;
        }
    }

    // 4. The program file.
    if (SamePath(ProgramFilePath(), program) || !CopyFileW(ProgramFilePath().c_str(), program.c_str(), FALSE)) {
        if (!programExisted) DeleteFileW(program.c_str());
        RemoveCreatedFolders(createdFolders);
        ShowSetupMessage(owner, copyFailed);
        return result;
    }

    // 5. The uninstall information file first: whatever is made after it is recorded in it, so
    // the uninstaller finds everything. Without it nothing else is made. The file of an earlier
    // installation stays whatever happens: it still records what that one made.
    const bool administrator = ProcessIsAdministrator();
    const std::wstring info = PathInFolder(folder, kUninstallInfoName);
    const bool infoExisted = PathExists(info);
    if (!PrepareUnicodeIniFile(info) || !WriteInstallKeys(info, choices, folder, administrator)) {
        if (!programExisted) DeleteFileW(program.c_str());
        if (!infoExisted) DeleteFileW(info.c_str());
        RemoveCreatedFolders(createdFolders);
        ShowSetupMessage(owner, LangString(kTextCreationError) + L":\r\n" + info);
        return result;
    }

    // What follows is checked, and what could not be made is listed at the end; the
    // installation itself stands.
    std::vector<std::wstring> notMade;
    // A shortcut counts once it is recorded; one that cannot be recorded is taken away again,
    // as the uninstaller would never find it.
    auto makeRecordedShortcut = [&](const std::wstring& label, const std::wstring& link, const std::wstring& arguments,
                                    const wchar_t* key) {
        if (MakeShortcut(link, program, folder, arguments)) {
            if (IniWriteText(kProgramSection, key, link, info)) return;
            DeleteFileW(link.c_str());
        }
        notMade.push_back(label + L": " + link);
    };
    // Shortcuts, per user or for all users; a portable installation never for all users.
    const bool allUsers = choices.forAllUsers && !choices.portable;
    const ShellFolders shell = ShellFoldersFor(allUsers);
    if (choices.desktopShortcut) {
        if (shell.desktop.empty()) {
            notMade.push_back(LangString(kTextDesktopShortcut));
        } else {
            makeRecordedShortcut(LangString(kTextDesktopShortcut), PathInFolder(shell.desktop, kProgramShortcutName),
                                 L"", kKeyDesktopShortcut);
        }
    }
    if (shell.startMenuFolder.empty()) {
        notMade.push_back(LangString(kTextUninstall));
        if (choices.startMenuShortcut) notMade.push_back(LangString(kTextStartMenuShortcut));
    } else {
        CreateDirectoryW(shell.startMenuFolder.c_str(), nullptr);
        makeRecordedShortcut(LangString(kTextUninstall), PathInFolder(shell.startMenuFolder, kUninstallShortcutName),
                             L"-?uninstall", kKeyUninstallShortcut);
        if (choices.startMenuShortcut) {
            makeRecordedShortcut(LangString(kTextStartMenuShortcut),
                                 PathInFolder(shell.startMenuFolder, kProgramShortcutName), L"", kKeyStartShortcut);
        }
    }
    if (choices.startWithWindows) {
        const std::wstring valueName = ProgramAutostartName();
        if (valueName.empty() || !WriteAutostart(valueName, allUsers, program)) {
            notMade.push_back(LangString(kTextSetupStartWithWindows) + L": " +
                              AutostartValueLocation(valueName, allUsers));
        }
    }
    if (!choices.portable) {
        const bool german = GermanInterface();
        const std::wstring page =
            ReplaceMakerHosts(LangHeaderString(ProgramPageHeaderText(german)), CurrentWebRegion());
        const HKEY root = allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        if (!WriteUninstallEntry(
                root, kProgramName,
                UninstallEntryValues(program, page, LangHeaderString(kHeaderProgramTitle), MakerLineForEntry()))) {
            notMade.push_back(UninstallEntryLocation(root, kProgramName));
        }
    }

    // 6. The installed program's settings, only in a settings file that is new: the settings of
    // an earlier installation (or of an earlier start of the program) stay exactly as they are.
    // A new one is recorded as the installation's own, for the uninstaller.
    const std::wstring settings =
        InstalledSettingsPath(folder, choices.portable, PathExists(PathInFolder(folder, kInstalledSettingsName)),
                              ShellFolderPath(CSIDL_APPDATA));
    CreateDirectoryW(FolderOfPath(settings).c_str(), nullptr);
    if (!PathExists(settings) && PrepareUnicodeIniFile(settings)) {
        WriteInstallKeys(settings, choices, folder, administrator);
        IniWriteText(kProgramSection, kKeyInstallTime, InstallTimeText(), settings);
        IniWriteText(kProgramSection, kKeySettingsFile, settings, info);
    }

    if (!notMade.empty()) ShowSetupMessage(owner, ListMessage(LangString(kTextPartsNotMade), notMade));
    result.installed = true;
    return result;
}

bool StartInstalledProgram(const std::wstring& programPath) {
    const std::wstring folder = FolderOfPath(programPath);
    HINSTANCE started = nullptr;
    if (ProcessIsAdministrator()) {
        const std::wstring parameter = L"\"" + programPath + L"\"";
        started = ShellExecuteW(nullptr, L"open", L"explorer.exe", parameter.c_str(), folder.c_str(), SW_SHOWNORMAL);
    } else {
        started = ShellExecuteW(nullptr, L"open", programPath.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
    }
    return reinterpret_cast<INT_PTR>(started) > 32;
}
