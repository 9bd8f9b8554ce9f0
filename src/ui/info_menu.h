#pragma once

#include <windows.h>

#include <string>

#include "install/install_detection.h"
#include "install/uninstall_entry.h"

class CWinCmdBar2;

// The settings dialog's "Info" menu and the menu bar that shows it.

// Which installation `programPath` is: the entry for all users is asked first, then the
// current user's. `entryName` is the program's name; tests pass names of their own.
Installation DetectInstallation(const std::wstring& programPath, const std::wstring& entryName);

// A new popup menu whose one item is the "Info" popup, in the current language, shaped for
// `installation`: an uninstall command for an installed copy, a removal for a portable one.
// The caller owns the menu (the command bar takes it over).
HMENU BuildInfoMenu(const Installation& installation);

// Registers the menu's shell icons with `bar`. A shell icon the system lacks leaves its items
// an empty icon cell. Returns the number of icons registered.
int AttachInfoMenuIcons(CWinCmdBar2& bar);

// The program's command bar; it lives as long as the process.
CWinCmdBar2& TheCommandBar();

// Puts the command bar across the top of the settings dialog. Once, at the dialog's
// initialisation; later calls do nothing.
void AttachInfoMenuBar(HWND settingsDialog);

// Detects this copy's installation, builds the "Info" menu in the current language and hands
// it to the command bar, which destroys the previous one. At initialisation and after every
// language change. The shell icons are attached the first time only.
void GiveInfoMenuToBar();

// The installation found by the last GiveInfoMenuToBar: the uninstall commands use its entry.
const Installation& RememberedInstallation();
