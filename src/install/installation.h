#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "install/install_rules.h"

// The installation itself: what the installation dialog's "Install" does, and the system's
// folders it needs. Messages are shown in message boxes without caption text, owned by
// `owner`; every failure stops the installation and leaves nothing half-made behind that the
// uninstaller could not remove.

// What the user chose in the installation dialog.
struct InstallChoices {
    std::wstring folderText;  // as typed or chosen
    int language = 1;
    bool portable = false;
    bool desktopShortcut = false;
    bool startWithWindows = false;
    bool startMenuShortcut = false;
    bool forAllUsers = false;
};

// The shell folders of the current user or of all users; empty when the system has none.
struct ShellFolders {
    std::wstring desktop;          // the desktop folder
    std::wstring startMenuFolder;  // the start menu's programs folder + "\Orbelin"
};
ShellFolders ShellFoldersFor(bool allUsers);

// The input of the dialog's folder list, read from the system: administrator rights as given,
// the program-files and application-data folders, the drives, and the folder of the program
// named by the uninstall entry of the chosen kind.
FolderListInput SystemFolderListInput(bool administrator, bool portable, bool forAllUsers);

// The folder of the installed program named by the uninstall entry under HKEY_LOCAL_MACHINE
// (`forAllUsers`) or HKEY_CURRENT_USER; nothing when there is no such entry.
std::optional<std::wstring> InstalledFolderFromEntry(bool forAllUsers);

// The installation folder named by the folder text: normalised (see NormalizeInstallFolder),
// then made absolute and canonical ("C:\a\..\b" is "C:\b"). Nothing for a folder that is not
// given by its full path (see IsFullFolderPath) or cannot be made canonical.
std::optional<std::wstring> FullInstallFolder(const std::wstring& folderText);

struct InstallResult {
    bool installed = false;
    std::wstring folder;       // the full folder, or the folder as typed when refused (written back into the dialog)
    std::wstring programPath;  // the installed program
};

// Runs the installation steps in order: the folder by its full path (a relative one is refused
// with a message) and its creation (with all missing parents), the overwrite question, the
// running-copy check, the copy of the running program file, the uninstall information file,
// shortcuts, the start-with-Windows value, the uninstall entry (not for a portable
// installation), the installed program's settings (only when it has none yet: an existing
// settings file is kept byte for byte). A shortcut, value or entry that cannot be written does
// not stop the installation: they are named together in one message at its end. A failed
// installation keeps an information file that an earlier one left. Does not start the
// installed program.
InstallResult InstallProgram(HWND owner, const InstallChoices& choices);

// Starts the installed program: with administrator rights through the desktop shell
// ("explorer.exe" with the program as parameter), so that it runs with the user's normal rights;
// otherwise directly. Returns whether the start was accepted.
bool StartInstalledProgram(const std::wstring& programPath);

// Whether the program file at `path` may be replaced or deleted: it is missing, or can be
// opened for writing (a running program file cannot). Clears its attributes first.
bool ProgramFileIsFree(const std::wstring& path);

// The message that a running copy blocks the installation or uninstallation (text 222, the path,
// text 221), followed by the signal that brings the running copy's settings window to the front
// for the user to end it.
void ReportRunningCopy(HWND owner, const std::wstring& programPath);

// A message box without caption text, as every message of the installer and uninstaller.
int ShowSetupMessage(HWND owner, const std::wstring& text, UINT buttons = MB_OK);

