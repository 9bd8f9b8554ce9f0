#include "ui/later_features.h"

void ShowLanguageMenu(HWND, HWND) {}

void AttachInfoMenuBar(HWND) {}
