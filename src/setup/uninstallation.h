#pragma once

#include <windows.h>

#include <string>

// The uninstaller in its two stages. The first runs from the installation folder: it copies the
// running program file to the temporary folder and starts that copy with the folder as argument,
// because a running program file cannot be deleted. The second stage (the copy) shows the
// uninstall dialog, removes the installation and finally deletes itself with a self-deleting
// batch file.

// First stage: copy and start the temporary uninstaller for the installation that the running
// program file belongs to. Returns false when the copy cannot be made or started (nothing is
// left in the temporary folder then).
bool StartTemporaryUninstaller();

// The installation folder named by the second stage's folder argument: the argument decoded;
// when that folder holds no installation but the argument read in the older form (only blanks
// encoded) names one, that folder. Empty for an argument shorter than 3 characters.
std::wstring InstallationFolderOfArgument(const std::wstring& argument);

// Removes the installation in `folder`: the program, its settings file and the uninstall
// information file in the folder (and, for an installation that is not portable, the per-user
// settings file and its folder when that is empty), the shortcuts the information file records (only link files
// of the installer's names in the desktop and start-menu folders, and only those that start
// this installation's program), the start menu folder and the installation folder when they are
// empty, the uninstall entry and the start-with-Windows values that name this installation's
// program. Nothing outside these is touched, whatever the information file says. When the
// installed program runs, shows the message, signals it and removes nothing: returns false.
bool RemoveInstallation(HWND owner, const std::wstring& folder);

// Deletes the running program file once the process has ended, when it is a temporary
// uninstaller, by a self-deleting batch file in the temporary folder. Returns whether a batch
// was started.
bool DeleteTemporaryUninstallerLater();
