#include "app/visible_parts.h"

#include "app/tray_icon.h"
#include "common/file_attributes.h"
#include "common/process_flags.h"
#include "display/display_slots.h"
#include "res/resource.h"
#include "settings/app_config.h"
#include "settings/ini_file.h"
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

// Loads every setting, creating the display of each slot in use; a further slot announces
// itself with a message first.
void LoadSettingsAndDisplays() {
    AppConfig& app = GlobalAppConfig();
    SettingsLoadHooks hooks;
    hooks.prepareDialogForSlot = [](int) { MessageBoxW(nullptr, L"Placeholder for next Clock Version", L"", MB_OK); };
    hooks.displayHost = [](int slot) -> DisplayWindowHost* { return &DisplaySlots()[slot]; };
    // The number of displays is only ever read: a settings file may ask for more than one.
    app.displayCount = IniReadInt(L"m_clock_cnt", 0);
    LoadAllSettings(app, DisplayConfigsOfSlots(), hooks);
}

}  // namespace

void PrepareVisibleParts(bool background, std::function<bool(const std::function<bool()>&)> startInPlace) {
    g_background = background;
    g_startInPlace = std::move(startInPlace);
}

void StartVisibleParts(HWND mainWindow) {
    // The displays and their first frames come first; the tray icon (a round trip to the shell)
    // and the settings dialog, which takes longer to make than they do, follow.
    CWinAlphaUhr::SetRenderHostWindow(mainWindow);
    LoadSettingsAndDisplays();
    AppConfig& app = GlobalAppConfig();
    // Only the very first start shows the settings window by itself.
    const bool showDialog = DeveloperMarkerExists() || (app.startCount.Value() == 0 && !g_background);
    app.startCount.Set(app.startCount.Value() + 1);
    DrawFramesNow();

    Tray().SetOwner(mainWindow);
    g_trayStarted = true;
    HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    Tray().StartTrayIcon(IDI_APP, icon, L"Orbelin", true);

    SettingsDialogHost host;
    host.queryStartWithWindows = QueryProgramAutostart;
    host.setStartWithWindows = SyncAutostart;
    host.minimizeToTray = [](HWND window, bool animate) { Tray().MinimizeToTray(window, animate); };
    host.startInPlace = g_startInPlace;
    SettingsDialog& dialog = TheSettingsDialog();
    dialog.Create(GetModuleHandleW(nullptr), std::move(host));
    if (showDialog) dialog.ShowInFront();
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
