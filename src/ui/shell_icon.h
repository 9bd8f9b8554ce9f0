#pragma once

#include <windows.h>

#include "common/system_library.h"

// The icon resource `id` of the system shell library at the small-icon size, or null when the
// library lacks it (Wine's lacks some). The caller owns the icon.
inline HICON LoadShellIcon(int id) {
    HMODULE shell = GetModuleHandleW(L"shell32.dll");
    if (shell == nullptr) shell = LoadSystemLibrary(L"shell32.dll");
    if (shell == nullptr) return nullptr;
    return static_cast<HICON>(LoadImageW(shell, MAKEINTRESOURCEW(id), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), 0));
}
