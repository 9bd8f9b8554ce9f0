#include "display/cover_check.h"

#include "common/proc_address.h"
#include "common/system_library.h"
#include "display/cover_rules.h"

namespace {

ScreenBox BoxOf(const RECT& rect) { return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top}; }

// Windows 10 keeps suspended store apps "visible" but cloaked: nobody sees them.
bool IsCloaked(HWND window) {
    using GetAttributeFunction = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);
    static const GetAttributeFunction getAttribute = [] {
        HMODULE dwm = LoadSystemLibrary(L"dwmapi.dll");
        return dwm != nullptr ? GetProcAddressAs<GetAttributeFunction>(dwm, "DwmGetWindowAttribute") : nullptr;
    }();
    DWORD cloaked = 0;
    constexpr DWORD kCloakedAttribute = 14;  // DWMWA_CLOAKED
    return getAttribute != nullptr && SUCCEEDED(getAttribute(window, kCloakedAttribute, &cloaked, sizeof(cloaked))) &&
           cloaked != 0;
}

// The desktop itself: the desktop window, the shell's window and the windows that hold its icons.
bool IsDesktop(HWND window) {
    if (window == GetDesktopWindow() || window == GetShellWindow()) return true;
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    return lstrcmpW(className, L"Progman") == 0 || lstrcmpW(className, L"WorkerW") == 0;
}

struct Reader {
    const std::function<bool(HWND)>& isDisplayWindow;

    // The window as the rules see it; false for windows that cannot hide a display.
    bool Read(HWND window, WindowInSight& sight) const {
        RECT rect{};
        if (window == nullptr || !IsWindowVisible(window) || IsIconic(window) || isDisplayWindow(window) ||
            IsDesktop(window) || !GetWindowRect(window, &rect) || IsCloaked(window)) {
            return false;
        }
        sight.rect = BoxOf(rect);
        sight.maximized = IsZoomed(window) != FALSE;
        return true;
    }
};

}  // namespace

bool IsDisplayWindowOutOfSight(HWND displayWindow, bool onTheDesktop, const std::function<bool(HWND)>& isDisplayWindow) {
    RECT displayRect{};
    if (displayWindow == nullptr || !GetWindowRect(displayWindow, &displayRect)) return false;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromWindow(displayWindow, MONITOR_DEFAULTTONEAREST), &monitor)) return false;

    CoverReadings readings;
    readings.display = BoxOf(displayRect);
    readings.monitor = BoxOf(monitor.rcMonitor);
    readings.onTheDesktop = onTheDesktop;
    const Reader reader{isDisplayWindow};
    readings.hasForeground = reader.Read(GetForegroundWindow(), readings.foreground);
    if (onTheDesktop) {
        struct Walk {
            const Reader& reader;
            std::vector<WindowInSight>& windows;
        } walk{reader, readings.windowsAbove};
        EnumWindows(
            [](HWND window, LPARAM parameter) -> BOOL {
                auto* walk = reinterpret_cast<Walk*>(parameter);
                WindowInSight sight;
                if (walk->reader.Read(window, sight)) walk->windows.push_back(sight);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&walk));
    }
    return IsDisplayOutOfSight(readings);
}
