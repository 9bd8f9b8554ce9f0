#include "app/visible_parts.h"

#include "app/tray_icon.h"
#include "common/file_attributes.h"
#include "common/process_flags.h"
#include "display/display_slots.h"
#include "res/resource.h"
#include "settings/app_config.h"
#include "sources/picture_selection_dialog.h"
#include "system/autostart.h"
#include "ui/settings_dialog.h"

namespace {

bool g_trayStarted = false;
bool g_background = false;
std::function<bool(const std::function<bool()>&)> g_startInPlace;

CToTray& Tray() {
    static CToTray tray;
    return tray;
}

// A developer's marker in the current folder: the settings window shows at every start.
bool DeveloperMarkerExists() { return PathExists(L"AAAA_UC"); }

}  // namespace

void PrepareVisibleParts(bool background, std::function<bool(const std::function<bool()>&)> startInPlace) {
    g_background = background;
    g_startInPlace = std::move(startInPlace);
}

void StartVisibleParts(HWND mainWindow) {
    Tray().SetOwner(mainWindow);
    g_trayStarted = true;
    HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    Tray().StartTrayIcon(IDI_APP, icon, L"Orbelin", true);

    CWinAlphaUhr::SetRenderHostWindow(mainWindow);
    SettingsDialogHost host;
    host.queryStartWithWindows = QueryProgramAutostart;
    host.setStartWithWindows = SyncAutostart;
    host.minimizeToTray = [](HWND window, bool animate) { Tray().MinimizeToTray(window, animate); };
    host.startInPlace = g_startInPlace;
    SettingsDialog& dialog = TheSettingsDialog();
    dialog.Create(GetModuleHandleW(nullptr), std::move(host));

    AppConfig& app = GlobalAppConfig();
    if (DeveloperMarkerExists()) dialog.ShowInFront();
    // Only the very first start shows the settings window by itself.
    if (app.startCount.Value() == 0 && !g_background) dialog.ShowInFront();
    app.startCount.Set(app.startCount.Value() + 1);
}

void ShowTrayIconAgain() {
    if (g_trayStarted) Tray().AddOrUpdateIcon();
}

void StopVisibleParts() {
    g_stopFlag = true;
    g_trayStarted = false;
    // Its thumbnail thread ends before the windows it talks to.
    ThePictureSelectionDialog().Destroy();
    StopAllDisplayWorkers();
    Tray().RemoveTrayIcon();
}
