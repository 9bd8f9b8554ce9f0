#include "app/visible_parts.h"

#include "app/autostart.h"
#include "app/to_tray.h"
#include "common/process_flags.h"
#include "display/display_slots.h"
#include "res/resource.h"
#include "settings/app_config.h"

namespace {

CToTray& Tray() {
    static CToTray tray;
    return tray;
}

}  // namespace

void StartVisibleParts(HWND mainWindow) {
    Tray().SetOwner(mainWindow);
    HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    Tray().StartTrayIcon(IDI_APP, icon, L"Orbelin", true);

    CWinAlphaUhr::SetRenderHostWindow(mainWindow);
    std::array<CWinAlphaUhr, kDisplaySlotCount>& displays = DisplaySlots();

    SettingsLoadHooks hooks;
    hooks.queryAutostart = [] {
        wchar_t valueName[1024] = L"";
        if (LoadStringW(GetModuleHandleW(nullptr), IDS_AUTOSTART_NAME, valueName, 1024) <= 0) return 0;
        return QueryAutostart(valueName, false);
    };
    hooks.displayHost = [&displays](int slot) -> DisplayWindowHost* { return &displays[slot]; };
    AppConfig& app = GlobalAppConfig();
    LoadAllSettings(app, DisplayConfigsOfSlots(), hooks);

    // Every start counts; while the count is 0 the settings window shows itself at start.
    app.startCount.Set(app.startCount.Value() + 1);
}

void StopVisibleParts() {
    g_stopFlag = true;
    StopAllDisplayWorkers();
    Tray().RemoveTrayIcon();
}
