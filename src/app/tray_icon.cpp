#include "app/tray_icon.h"

#include <shellapi.h>

#include <optional>
#include <utility>

static_assert(sizeof(NOTIFYICONDATAW) == 976, "the shell expects the full 976-byte record");

namespace {

TrayRect ToTrayRect(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

std::optional<TaskbarEdge> ToTaskbarEdge(UINT edge) {
    switch (edge) {
        case ABE_LEFT:
            return TaskbarEdge::kLeft;
        case ABE_TOP:
            return TaskbarEdge::kTop;
        case ABE_RIGHT:
            return TaskbarEdge::kRight;
        case ABE_BOTTOM:
            return TaskbarEdge::kBottom;
        default:
            return std::nullopt;
    }
}

bool MinimizeAnimationOn() {
    ANIMATIONINFO animation{};
    animation.cbSize = sizeof(animation);
    return SystemParametersInfoW(SPI_GETANIMATION, sizeof(animation), &animation, 0) && animation.iMinAnimate != 0;
}

}  // namespace

CToTray::~CToTray() { RemoveTrayIcon(); }

void CToTray::StartTrayIcon(int iconId, HICON icon, const std::wstring& tip, bool watchdog) {
    // A running watchdog reads the icon record; it stops before the record changes.
    const bool watchdogWasRunning = m_watchdog.IsValid();
    StopWatchdog();
    m_iconId = iconId;
    m_tip = tip;
    // Taken over and let go: the shell gets the icon loaded again at the system size.
    const UniqueIcon given(icon);
    AddOrUpdateIcon();
    if (watchdog || watchdogWasRunning) StartWatchdog();
}

void CToTray::StartWatchdog() {
    m_stopWatchdog.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_watchdog.Reset(CreateThread(nullptr, 0, WatchdogThread, this, 0, nullptr));
}

void CToTray::AddOrUpdateIcon() {
    UniqueIcon icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_iconId), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0)));
    const DWORD operation = IsIconPresent() ? NIM_MODIFY : NIM_ADD;
    Notify(operation, NIF_MESSAGE | NIF_ICON | NIF_TIP, std::move(icon));
}

bool CToTray::IsIconPresent() const { return Notify(NIM_MODIFY, NIF_MESSAGE); }

void CToTray::RemoveTrayIcon() {
    // The watchdog goes first: one of its passes between the removal and its end would put the
    // icon back for good.
    StopWatchdog();
    if (m_owner != nullptr && m_iconId != 0) Notify(NIM_DELETE, NIF_MESSAGE | NIF_ICON | NIF_TIP);
}

bool CToTray::Notify(DWORD operation, UINT flags, UniqueIcon icon) const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = m_owner;
    data.uID = static_cast<UINT>(m_iconId);
    data.uFlags = flags;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon.Get();
    lstrcpynW(data.szTip, m_tip.c_str(), 256);  // the shell shows at most 255 characters
    return Shell_NotifyIconW(operation, &data) != FALSE;
}

DWORD WINAPI CToTray::WatchdogThread(void* parameter) {
    auto* tray = static_cast<CToTray*>(parameter);
    while (WaitForSingleObject(tray->m_stopWatchdog.Get(), tray->m_watchdogPeriodMs) == WAIT_TIMEOUT) {
        if (!tray->IsIconPresent()) tray->AddOrUpdateIcon();
    }
    return 0;
}

void CToTray::StopWatchdog() {
    if (!m_watchdog.IsValid()) return;
    SetEvent(m_stopWatchdog.Get());
    // The watchdog only waits and calls the shell; it ends at once when asked. One that hangs
    // in the shell is ended by force.
    if (WaitForSingleObject(m_watchdog.Get(), 2000) != WAIT_OBJECT_0) TerminateThread(m_watchdog.Get(), 1092);
    m_watchdog.Reset();
    m_stopWatchdog.Reset();
}

void CToTray::MinimizeToTray(HWND window, bool animate) {
    RECT from{};
    if (animate && MinimizeAnimationOn() && GetWindowRect(window, &from)) {
        const RECT to = TrayTargetRectangle();
        DrawAnimatedRects(window, IDANI_CAPTION, &from, &to);
    }
    ShowWindow(window, SW_HIDE);
}

TrayTargetInputs GatherTrayTargetInputs() {
    TrayTargetInputs inputs;
    RECT rect{};
    const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (taskbar != nullptr) {
        const HWND notifyArea = FindWindowExW(taskbar, nullptr, L"TrayNotifyWnd", nullptr);
        if (notifyArea != nullptr && GetWindowRect(notifyArea, &rect)) inputs.notifyArea = ToTrayRect(rect);
        if (GetWindowRect(taskbar, &rect)) inputs.taskbarWindow = ToTrayRect(rect);
    }
    APPBARDATA bar{};
    bar.cbSize = sizeof(bar);
    bar.uEdge = 0xdeadbeef;  // an edge the shell did not name leaves the position out
    if (SHAppBarMessage(ABM_GETTASKBARPOS, &bar) != 0) {
        if (const auto edge = ToTaskbarEdge(bar.uEdge)) inputs.taskbar = TaskbarPosition{*edge, ToTrayRect(bar.rc)};
    }
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &rect, 0)) inputs.workArea = ToTrayRect(rect);
    return inputs;
}

RECT TrayTargetRectangle() {
    const TrayRect target = TrayTargetRect(GatherTrayTargetInputs());
    return {target.left, target.top, target.right, target.bottom};
}
