#include "ui/later_features.h"

void OpenPictureSelectionDialog(HWND, const std::vector<std::wstring>&) {}

void PictureDialogKeyHook(const MSG&) {}
