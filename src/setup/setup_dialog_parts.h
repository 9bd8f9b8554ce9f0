#pragma once

#include <windows.h>

#include "imaging/dum_bitmap.h"

// What the installation and the uninstall dialog share: the language list, the banner and the
// icon at the top.

// Fills the language list `listId` with every language of the archive whose name line is
// longer than 5 characters (its tab shown as " <===> "), each item carrying its section, and
// selects the current language.
void FillLanguageList(HWND dialog, int listId);

// The section of the selected language, or -1 when nothing is selected.
int SelectedLanguage(HWND dialog, int listId);

// The banner and the shell's icon 16747 at 32 x 32. The dialog keeps `banner` and `icon` and
// releases them when it goes (ReleaseDialogPictures).
void ShowDialogPictures(HWND dialog, CDumBitmap& banner, HICON& icon);
void ReleaseDialogPictures(CDumBitmap& banner, HICON& icon);
