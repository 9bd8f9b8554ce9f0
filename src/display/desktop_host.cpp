#include "display/desktop_host.h"

HWND FindDesktopHost() {
    HWND programManager = FindWindowW(nullptr, L"Program Manager");
    if (programManager != nullptr) {
        HWND view = FindWindowExW(programManager, nullptr, L"SHELLDLL_DefView", nullptr);
        if (view != nullptr && FindWindowExW(view, nullptr, L"SysListView32", nullptr) != nullptr) {
            return programManager;
        }
    }
    for (HWND worker = FindWindowExW(nullptr, nullptr, L"WorkerW", nullptr); worker != nullptr;
         worker = FindWindowExW(nullptr, worker, L"WorkerW", nullptr)) {
        if (FindWindowExW(worker, nullptr, L"SHELLDLL_DefView", nullptr) != nullptr) return worker;
    }
    return nullptr;
}

StackingMode StackingModeFor(int stackingMode, int currentTopmostMode) {
    switch (stackingMode) {
        case 0: return {1, false};
        case 1: return {1, true};
        case 2: return {0, false};
        case 3: return {0, true};
        default: return {currentTopmostMode, false};
    }
}
