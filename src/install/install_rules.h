#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The installer's and uninstaller's rules on plain texts: the installation's file names, the
// folder list of the installation dialog, the folder text the user typed, the folder argument
// that passes the command line to the uninstaller's second stage, and which recorded paths the
// uninstaller may touch. No Windows calls.

// Files of an installation, in its folder.
inline constexpr const wchar_t* kInstalledProgramName = L"Orbelin.exe";
inline constexpr const wchar_t* kUninstallInfoName = L"Orbelin_Uninstall.ini";
inline constexpr const wchar_t* kInstalledSettingsName = L"Orbelin.ini";
// Shortcut files: "Orbelin.lnk" on the desktop and in the start menu folder, the uninstall
// shortcut "Orbelin_Uninstall.lnk" in the start menu folder, which is named "Orbelin".
inline constexpr const wchar_t* kProgramShortcutName = L"Orbelin.lnk";
inline constexpr const wchar_t* kUninstallShortcutName = L"Orbelin_Uninstall.lnk";
inline constexpr const wchar_t* kStartMenuFolderName = L"Orbelin";

// Keys of the uninstall information file (and of the installed program's settings file).
inline constexpr const wchar_t* kKeyDesktopShortcut = L"desktop_shortcut";
inline constexpr const wchar_t* kKeyUninstallShortcut = L"uninstall_shortcut";
inline constexpr const wchar_t* kKeyStartShortcut = L"start_shortcut";
inline constexpr const wchar_t* kKeyAdminInstall = L"admin_install";
inline constexpr const wchar_t* kKeyForAllInstall = L"for_all_install";
inline constexpr const wchar_t* kKeyInstallDir = L"install_dir";
inline constexpr const wchar_t* kKeyPortableInstall = L"portable_install";
inline constexpr const wchar_t* kKeyLanguage = L"lng";
inline constexpr const wchar_t* kKeyInstallTime = L"Install_Time";
// The settings file that the installation made (only then recorded): the uninstaller deletes the
// per-user settings file only when it is this one.
inline constexpr const wchar_t* kKeySettingsFile = L"settings_file";

// The longest file name the installation puts into its folder: a folder whose files could not
// all be named within the classic path limit (259 characters) is refused before anything is made.
inline constexpr size_t kMaxPathLength = 259;

// `folder` + "\" + `fileName`.
std::wstring PathInFolder(const std::wstring& folder, const std::wstring& fileName);

// A drive as the folder list sees it.
enum class DriveKind { kRemovable, kFixed, kRemote, kCdRom, kRamDisk, kOther };
struct DriveInfo {
    std::wstring root;  // "C:\"
    DriveKind kind = DriveKind::kOther;
};

struct FolderListInput {
    bool administrator = false;
    bool portable = false;
    std::wstring programFilesFolder;  // without trailing backslash
    std::wstring appDataFolder;       // the user's roaming application data, without trailing backslash
    std::vector<DriveInfo> drives;    // in drive-letter order
    // The folder of the installed program named by an uninstall entry of the chosen kind (all
    // users or this user), when there is one.
    std::optional<std::wstring> existingInstallation;
};

struct FolderList {
    std::vector<std::wstring> entries;
    int selected = 0;       // index into entries
    std::wstring editText;  // the text shown before any choice: the application-data entry
};

// The folder list of the installation dialog: with administrator rights the program-files
// folder first (selected), then the application-data folder (selected without the rights);
// then for every removable (not A: or B:), fixed, remote or RAM drive its root + "Orbelin" and
// root + "Kestrova\Orbelin" (the first drive's plain entry selected in portable mode). An
// existing installation's folder is selected: an entry of the list when it is one (letter case
// aside), else added at the top.
FolderList InstallFolderList(const FolderListInput& input);

// The folder text as the installer uses it: blanks around it removed, "/" read as "\", runs of
// backslashes made single (a leading "\\" of a network path kept), no trailing backslash except
// after a drive ("C:\"). Empty when nothing is left.
std::wstring NormalizeInstallFolder(std::wstring_view text);

// Whether a folder text (as NormalizeInstallFolder gives it) names a folder by its full path: a
// drive with its root ("C:\...") or a network share ("\\server\share..."). A relative folder
// ("Orbelin", "..\x"), one relative to a drive's current folder ("C:Orbelin") or to the
// current drive ("\Orbelin"), and device paths ("\\?\...", "\\.\...") are not.
bool IsFullFolderPath(std::wstring_view folder);

// A message that lists what went wrong: `heading` + ":", then each item on a line of its own.
std::wstring ListMessage(const std::wstring& heading, const std::vector<std::wstring>& items);

// The settings file that the removal of a copy that is not installed deletes: its own file
// beside it (`settingsPath` in the program's folder); the per-user file (`settingsPath` is
// `perUserSettingsPath`) only when no installed copy uses it, that is when none of
// `installedPrograms` (the existing programs that uninstall entries name) is another program
// than `programPath`. Empty when no settings file is to be deleted (also for one elsewhere).
std::wstring SettingsFileOfPortableRemoval(const std::wstring& programPath, const std::wstring& settingsPath,
                                           const std::wstring& perUserSettingsPath,
                                           const std::vector<std::wstring>& installedPrograms);

// The settings file the installed program will use (the program's own rule for finding it):
// beside the program for a portable installation, or when one already stands there (an earlier
// installation kept it); otherwise the per-user file, `appDataFolder` + "\Orbelin\Orbelin.ini".
std::wstring InstalledSettingsPath(const std::wstring& folder, bool portable, bool settingsInFolder,
                                   const std::wstring& appDataFolder);

// Whether every file of an installation in `folder` can be named within the path limit.
bool InstallFolderFitsPathLimit(const std::wstring& folder);

// The folders from the outermost to `folder` itself that the installer creates one after the
// other ("C:\a\b" gives "C:\a", "C:\a\b"); a drive root or a network share is not among them.
std::vector<std::wstring> FolderChain(const std::wstring& folder);

// The folder chooser's answer turned into an installation folder: `chosen` + "\Orbelin", with
// doubled backslashes made single (a chosen drive root "D:\" gives "D:\Orbelin").
std::wstring ChosenFolderEntry(const std::wstring& chosen);

// The uninstaller's folder argument ("-?UNPATH:" + this): every "%" written "%25", then every
// blank "%20", so the argument holds no blank and a folder name that holds "%20" itself comes
// back unchanged.
std::wstring EncodeUninstallFolder(std::wstring_view folder);
// The argument read back: "%20" is a blank and "%25" a "%"; any other "%" stays as it is.
std::wstring DecodeUninstallFolder(std::wstring_view argument);
// The argument as older copies wrote it, with only the blanks encoded: "%20" is a blank.
std::wstring DecodeUninstallFolderOldForm(std::wstring_view argument);

// The folders of the program's own in which the first uninstall stage puts the temporary
// uninstaller: the temporary folder + this + a number.
inline constexpr const wchar_t* kTemporaryUninstallerFolderPrefix = L"Orbelin_uninstall_";

// The temporary uninstaller in `ownFolder` (with its trailing backslash): + "Orbelin" +
// "_Uninstall.exe" for an installation made as administrator or a process with administrator
// rights, else + "_away_with_it.exe".
std::wstring TemporaryUninstallerPath(const std::wstring& ownFolder, bool administrator);

// Whether the running program file is a temporary uninstaller: one of those two names in a
// folder of the uninstaller's own (see kTemporaryUninstallerFolderPrefix) directly inside
// `temporaryFolder` (with its trailing backslash).
bool IsTemporaryUninstaller(const std::wstring& programPath, const std::wstring& temporaryFolder);

// Paths compared as Windows compares file names: letters A to Z without regard to case.
bool SamePath(std::wstring_view a, std::wstring_view b);

// Whether a shortcut path read from the uninstall information file may be deleted: a file
// name that the installer gives its shortcuts (`expectedName`), directly inside one of
// `allowedFolders`. Anything else - a folder, another file, a path that climbs out with
// "..", a damaged value - is left alone.
bool IsRemovableShortcutPath(const std::wstring& recorded, const std::wstring& expectedName,
                             const std::vector<std::wstring>& allowedFolders);

// The message of the overwrite question: text 217 with "%s" replaced by `programPath` and
// every "\n" written as a line break, a line break, then text 219.
std::wstring OverwriteQuestion(const std::wstring& text217, const std::wstring& programPath,
                               const std::wstring& text219);

// The dialogs' titles: "Micro Install " / "Micro Uninstall " + "(Admin)" for an administrator
// + " - " + the program's name and version.
std::wstring InstallDialogTitle(bool administrator, const std::wstring& programTitle);
std::wstring UninstallDialogTitle(bool administrator, const std::wstring& programTitle);

// An entry of the language list: a language's name line with its tab written " <===> ".
// Nothing for a name line of 5 characters or fewer (an unused section).
std::optional<std::wstring> LanguageListEntry(std::wstring_view nameLine);

// One value of the Windows uninstall entry: a string, or the one 32-bit number.
struct UninstallEntryValue {
    std::wstring name;
    std::wstring text;
    std::optional<unsigned long> number;  // set for the number value; `text` is then unused
};

// What the installer writes into the uninstall entry of the program file `programPath`:
// DisplayName, UninstallString (the quoted path + " -?uninstall"), EstimatedSize (200 KB, a
// number), DisplayIcon (path + ",0"), URLInfoAbout (`programPage`), URLUpdateInfo (the same +
// "/History"), Comments (`programTitle`) and Publisher (`makerLine`).
std::vector<UninstallEntryValue> UninstallEntryValues(const std::wstring& programPath, const std::wstring& programPage,
                                                      const std::wstring& programTitle, const std::wstring& makerLine);
