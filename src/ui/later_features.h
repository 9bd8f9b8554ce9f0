#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Parts of the settings dialog that the program does not have yet. Each is called where the
// user asks for it; until it exists the request changes nothing.

// The picture selection dialog for the individual list, shown again when it exists, taking
// `droppedFiles` (may be empty).
void OpenPictureSelectionDialog(HWND settingsDialog, const std::vector<std::wstring>& droppedFiles);

// Gives the picture selection dialog, while it exists, a look at every message of the loop
// before it is dispatched; it never takes a message away.
void PictureDialogKeyHook(const MSG& message);
