#include "app/main_window.h"

#include "app/tray_icon.h"
#include "app/visible_parts.h"
#include "common/proc_address.h"
#include "res/resource.h"
#include "system/running_copy_signal.h"
#include "ui/settings_dialog.h"
#include "ui/tray_actions.h"

namespace {

constexpr WPARAM kStartVisibleParts = 104;

UINT g_secondStartMessage = 0;
UINT g_taskbarCreatedMessage = 0;
bool g_visiblePartsSuppressed = false;

// The shell sends "TaskbarCreated" to every top-level window when its taskbar starts again (after
// a crash of the shell); a program running with other rights than the shell must let it through
// the message filter to hear it. The filter function exists from Windows 7 on.
void ListenForTaskbarRestarts(HWND window) {
    g_taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");
    using ChangeFilterFunction = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    const auto changeFilter =
        GetProcAddressAs<ChangeFilterFunction>(GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx");
    if (changeFilter != nullptr && g_taskbarCreatedMessage != 0) {
        changeFilter(window, g_taskbarCreatedMessage, 1 /* MSGFLT_ALLOW */, nullptr);
    }
}

void BringSettingsWindowToFront() {
    HWND settingsWindow = TheSettingsDialog().Window();
    if (settingsWindow == nullptr || !IsWindow(settingsWindow)) return;
    ShowWindow(settingsWindow, SW_SHOW);
    // Windows refuses to move a window of a background process to the front directly; flipping
    // it through the topmost band a few times gets it there.
    for (int i = 0; i < 10; ++i) {
        SetWindowPos(settingsWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetWindowPos(settingsWindow, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    }
    SetForegroundWindow(settingsWindow);
    SetFocus(settingsWindow);
}

}  // namespace

UINT SecondStartMessage() { return g_secondStartMessage; }

void RegisterSecondStartMessage() {
    if (g_secondStartMessage == 0) g_secondStartMessage = RegisterWindowMessageW(kRunningCopyMessageName);
}

void SuppressVisibleParts() { g_visiblePartsSuppressed = true; }

bool RegisterMainWindowClass(HINSTANCE instance, const std::wstring& className) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                        LR_DEFAULTCOLOR));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = className.c_str();
    return RegisterClassExW(&windowClass) != 0;
}

HWND CreateMainWindow(HINSTANCE instance, const std::wstring& className, const std::wstring& title) {
    HWND window = CreateWindowExW(0, className.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, -100, -100, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return nullptr;
    ListenForTaskbarRestarts(window);
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);
    return window;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != 0 && message == g_secondStartMessage) {
        // Another start of the program: show the settings window shortly, in front of the
        // window the user started it from.
        TheSettingsDialog().Hide();
        SetTimer(window, kBringSettingsToFrontTimer, kBringSettingsToFrontDelayMs, nullptr);
        return DefWindowProcW(window, message, wParam, lParam);
    }

    if (message != 0 && message == g_taskbarCreatedMessage) {
        // A new taskbar has no icons: put ours back at once rather than at the next watchdog pass.
        ShowTrayIconAgain();
        return 0;
    }

    switch (message) {
        case WM_CREATE:
            PostMessageW(window, WM_COMMAND, kStartVisibleParts, 0);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kStartVisibleParts && !g_visiblePartsSuppressed) StartVisibleParts(window);
            return 0;
        case WM_TIMER:
            if (wParam == kBringSettingsToFrontTimer) {
                KillTimer(window, kBringSettingsToFrontTimer);
                BringSettingsWindowToFront();
            }
            return 0;
        case kTrayCallbackMessage:
            OnTrayIconNotification(lParam);
            return 0;
        case WM_CLOSE:
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}
