#include "app/to_tray.h"

#include <shellapi.h>

static_assert(sizeof(NOTIFYICONDATAW) == 976, "the shell expects the full 976-byte record");

namespace {

constexpr DWORD kWatchdogPeriodMs = 5000;

}  // namespace

CToTray::~CToTray() { RemoveTrayIcon(); }

void CToTray::StartTrayIcon(int iconId, HICON icon, const std::wstring& tip, bool watchdog) {
    m_iconId = iconId;
    m_tip = tip;
    if (icon != nullptr) DestroyIcon(icon);  // the icon is loaded again at the system size for the shell
    AddOrUpdateIcon();
    if (!watchdog) return;
    StopWatchdog();
    m_stopWatchdog.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_watchdog.Reset(CreateThread(nullptr, 0, WatchdogThread, this, 0, nullptr));
}

void CToTray::AddOrUpdateIcon() {
    HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_iconId), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    const DWORD operation = IsIconPresent() ? NIM_MODIFY : NIM_ADD;
    Notify(operation, NIF_MESSAGE | NIF_ICON | NIF_TIP, icon);
}

bool CToTray::IsIconPresent() const { return Notify(NIM_MODIFY, NIF_MESSAGE, nullptr); }

void CToTray::RemoveTrayIcon() {
    if (m_owner != nullptr && m_iconId != 0) Notify(NIM_DELETE, NIF_MESSAGE | NIF_ICON | NIF_TIP, nullptr);
    StopWatchdog();
}

void CToTray::MinimizeToTray(HWND window, bool) { ShowWindow(window, SW_HIDE); }

bool CToTray::Notify(DWORD operation, UINT flags, HICON icon) const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = m_owner;
    data.uID = static_cast<UINT>(m_iconId);
    data.uFlags = flags;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon;
    lstrcpynW(data.szTip, m_tip.c_str(), 256);  // the shell shows at most 255 characters
    const bool accepted = Shell_NotifyIconW(operation, &data) != FALSE;
    if (icon != nullptr) DestroyIcon(icon);
    return accepted;
}

DWORD WINAPI CToTray::WatchdogThread(void* parameter) {
    auto* tray = static_cast<CToTray*>(parameter);
    while (WaitForSingleObject(tray->m_stopWatchdog.Get(), kWatchdogPeriodMs) == WAIT_TIMEOUT) {
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
