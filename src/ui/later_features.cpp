#include "ui/later_features.h"

void OpenPictureSelectionDialog(HWND, const std::vector<std::wstring>&) {}

void ShowLanguageMenu(HWND, HWND) {}

void PictureDialogKeyHook(const MSG&) {}
