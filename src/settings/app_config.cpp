#include "settings/app_config.h"

#include <windows.h>

#include "settings/setting_value.h"

AppConfig& GlobalAppConfig() {
    static AppConfig config;
    return config;
}

void AppConfig::SetImageTimerFromSlider(int position) {
    imageTimer.Set(position);
    imageTimer.Hold(imageTimer.Range().Clamp(imageTimer.Value()));
}

void LoadDisplayConfig(DisplayConfig& display, AppConfig& app, DisplayWindowHost* host) {
    display.textAlign.Load();
    display.textBold.Load();
    display.textItalic.Load();
    display.textShadow.Load();
    display.showDate.Load();
    display.textOutline.Load();
    display.textPlacement.Hold(0);
    display.textPlacement.Load();
    display.showSeconds.Load();
    display.fixedPosition.Load();
    display.pictureSource.Load();
    display.fontName.Load(2048);
    display.shuffle.Load();
    display.height = display.size.Load();
    display.pictureSource.Load();
    display.left.Hold(DefaultDisplayLeft(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN),
                                         display.size.Value()));
    display.left.Load();
    display.top.Load();
    display.userShadow.Load();
    display.opacity = display.transparency.Load();

    app.subfolder.Load();
    app.imageTimer.Load();
    app.stackingMode.Load();  // the display takes its stacking mode from it when it is created
    display.rotationSpeed = app.rotateSpeed.Load();

    if (host != nullptr && !host->HasDisplayWindow()) host->CreateDisplayWindow(display.size.Value());
}

LoadedSettings LoadAllSettings(AppConfig& app, const DisplayConfigSlots& displays, const SettingsLoadHooks& hooks) {
    LoadedSettings loaded;
    app.trayIfMinimize.Load();
    if (hooks.queryAutostart) loaded.autostart = hooks.queryAutostart();

    app.objectType.Load();
    displays[0]->pictureSource.Hold(0);
    displays[0]->pictureSource.Load();
    app.imageMode.Load();
    app.imageFolder.Load(kEncodedPathCapacity);
    app.deactivateMode.Load();
    app.deactivateSeconds.Load();

    app.startCount.Load();
    app.timeFormat.Load();
    app.currentSlot = 0;

    for (int slot = 1; slot < kDisplaySlotCount; ++slot) displays[slot]->AssignSlot(slot);

    const auto host = [&hooks](int slot) { return hooks.displayHost ? hooks.displayHost(slot) : nullptr; };
    LoadDisplayConfig(*displays[0], app, host(0));

    app.objectType.Load();
    app.displayCount = ClampSettingValue(app.displayCount, 1, kDisplaySlotCount);
    for (int slot = 1; slot < app.displayCount; ++slot) {
        app.currentSlot = slot;
        if (hooks.prepareDialogForSlot) hooks.prepareDialogForSlot(slot);
        LoadDisplayConfig(*displays[slot], app, host(slot));
    }
    app.currentSlot = 0;
    return loaded;
}
