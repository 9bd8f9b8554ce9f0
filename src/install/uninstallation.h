#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/unique_handle.h"

// The uninstaller in its two stages. The first runs from the installation folder: it copies the
// running program file to the temporary folder and starts that copy with the folder as argument,
// because a running program file cannot be deleted. The second stage (the copy) shows the
// uninstall dialog, removes the installation and finally deletes itself with a self-deleting
// batch file.

// First stage: copy and start the temporary uninstaller for the installation that the running
// program file belongs to, in a new folder of its own under the temporary folder. Returns
// false when the copy cannot be made, is not this program's own bytes, or cannot be started
// (nothing is left in the temporary folder then).
bool StartTemporaryUninstaller();

// Whether `folder` holds an installation: its uninstall information file, without which nothing
// says what in and around the folder is the installation's.
bool HoldsInstallation(const std::wstring& folder);

// The installation folder named by the second stage's folder argument: the argument decoded;
// when that folder holds no installation but the argument read in the older form (only blanks
// encoded) names one, that folder. Empty for an argument shorter than 3 characters.
std::wstring InstallationFolderOfArgument(const std::wstring& argument);

// Removes the installation in `folder`: the program, its settings file and the uninstall
// information file in the folder (and, for an installation that is not portable, the per-user
// settings file and its folder when that is empty, but only when the information file records
// that file as the installation's own), the shortcuts the information file records (only link
// files of the installer's names in the desktop and start-menu folders, and only those that start
// this installation's program), the start menu folder and the installation folder when they are
// empty, the uninstall entries and the start-with-Windows values that name this installation's
// program. Nothing outside these is touched, whatever the information file says. What could not
// be removed is named in one message at the end. Removes nothing and returns false, after a
// message, when the folder holds no information file or when the installed program runs (then
// it is signalled to come to the front).
bool RemoveInstallation(HWND owner, const std::wstring& folder);

// The message that `folder` holds no installation (text 224 and the folder).
void ReportMissingInstallation(HWND owner, const std::wstring& folder);

// Deletes the shortcuts that the information file `info` records, as RemoveInstallation does,
// and the start menu folder when it is left empty. Returns the shortcuts that stayed although
// they should have gone.
std::vector<std::wstring> RemoveRecordedShortcuts(const std::wstring& info, const std::wstring& program);

// Deletes the uninstall entries and start-with-Windows values (of this user and of all users)
// that name the program file `program`; others stay. Returns where one could not be deleted.
std::vector<std::wstring> RemoveRegistryEntriesOf(const std::wstring& program);

// Deletes the running program file and its folder once the process has ended, when it is a
// temporary uninstaller, by a self-deleting batch file (see StartSelfDeletion). Returns the
// open batch, which the caller keeps until it ends; invalid when no batch was started.
UniqueHandle DeleteTemporaryUninstallerLater();
