#pragma once

#include <windows.h>

#include <string>

#include "app/tray_target.h"
#include "common/gdi_objects.h"
#include "common/unique_handle.h"

// Tray callback message of the program's icon.
inline constexpr UINT kTrayCallbackMessage = WM_APP + 100;  // 32868

// The program's icon in the notification area. A watchdog thread puts it back within five
// seconds when the shell loses it (a restarted taskbar); the icon goes when the object goes.
class CToTray {
public:
    CToTray() = default;
    virtual ~CToTray();
    CToTray(const CToTray&) = delete;
    CToTray& operator=(const CToTray&) = delete;

    void SetOwner(HWND owner) { m_owner = owner; }
    // Shows the icon `iconId` with `tip`; with `watchdog`, (re)starts the thread that keeps it.
    // The object takes `icon` over and destroys it after handing it to the shell.
    void StartTrayIcon(int iconId, HICON icon, const std::wstring& tip, bool watchdog);
    // Adds the icon, or updates it when the shell still has it.
    void AddOrUpdateIcon();
    bool IsIconPresent() const;
    // Ends the watchdog, then removes the icon.
    void RemoveTrayIcon();
    // How often the watchdog looks for the icon (five seconds); takes effect at its next start.
    void SetWatchdogPeriod(DWORD milliseconds) { m_watchdogPeriodMs = milliseconds; }

    // Hides `window` into the notification area: with `animate`, and when the system animates
    // minimising windows, its rectangle first shrinks to the tray target rectangle on screen.
    static void MinimizeToTray(HWND window, bool animate);

private:
    static DWORD WINAPI WatchdogThread(void* parameter);
    // Every call to the shell: one record, the operation, and the icon (if any), which the shell
    // copies and which goes afterwards.
    bool Notify(DWORD operation, UINT flags, UniqueIcon icon = UniqueIcon()) const;
    void StartWatchdog();
    void StopWatchdog();

    HWND m_owner = nullptr;
    int m_iconId = 0;
    std::wstring m_tip;
    UniqueHandle m_watchdog;
    UniqueHandle m_stopWatchdog;  // event: the watchdog ends when it is set
    DWORD m_watchdogPeriodMs = 5000;
};

// What the shell and the system offer for finding the notification area on screen right now.
TrayTargetInputs GatherTrayTargetInputs();

// The rectangle a window shrinks to on its way into the notification area (see tray_target.h).
RECT TrayTargetRectangle();
