#pragma once

#include <array>
#include <functional>

#include "settings/display_config.h"
#include "settings/setting_item.h"

// The ranges of the settings dialog's controls, which every value read from the file is held to.
inline constexpr SettingRange kLanguageRange{0, 10};  // the eleven languages of the language menu
inline constexpr SettingRange kObjectTypeRange{0, 7};
inline constexpr SettingRange kStackingModeRange{0, 3};
inline constexpr SettingRange kRotateSpeedRange{1, 100};
inline constexpr SettingRange kImageTimerRange{5, 60};
inline constexpr SettingRange kDeactivateSecondsRange{5, 59};
inline constexpr SettingRange kOnOff{0, 1};

// The global settings of the program. Each item starts at its default when the program starts
// and is written to the settings file as soon as its value changes; a value read from the file is
// held within its range (setting_item.h).
struct AppConfig {
    IntSetting language{L"lng", 1, kLanguageRange};  // the start-up holds the language it starts in
    // 0 until the first start has shown the settings window; every start adds one, so the
    // largest value leaves room for that.
    IntSetting startCount{L"start_tray", 0, {0, INT_MAX - 1}};
    IntSetting trayIfMinimize{L"tray_if_minimize", 1, kOnOff};
    IntSetting objectType{L"m_clock_3d_type", 3, kObjectTypeRange};  // shape and motion of all displays
    IntSetting stackingMode{L"m_new_on_top_state", 0, kStackingModeRange};
    IntSetting rotateSpeed{L"m_rotate_speed", 7, kRotateSpeedRange};
    IntSetting imageTimer{L"m_image_timer", 10, kImageTimerRange};  // seconds between pictures
    IntSetting imageMode{L"m_img_mode", 1, kOnOff};                 // 0 keep aspect, 1 keep and stretch
    TextSetting imageFolder{L"m_image_folder", TextSetting::Storage::kEncoded};
    IntSetting subfolder{L"m_subfolder", 0, kOnOff};
    IntSetting deactivateMode{L"m_deactivate_mode", 0, {0, 3}};
    IntSetting deactivateSeconds{L"m_deactivate_sec", 5, kDeactivateSecondsRange};  // the entries of its list
    IntSetting listMode{L"m_list_mode", 2, {0, 3}};
    TextSetting lastUsedClock{L"m_last_use_clock"};
    IntSetting timeFormat{L"use_fix_time_format", 0, {0, 4}};

    // Held in memory only: the slot the settings dialog edits and the number of slots in use.
    int currentSlot = 0;   // m_cur_clock
    int displayCount = 0;  // m_clock_cnt, clamped to 1..8 before use

    // The interval slider moved: the position is stored as it is, the value in memory is kept
    // within 5..60 seconds.
    void SetImageTimerFromSlider(int position);
};

// The program's one set of global settings.
AppConfig& GlobalAppConfig();

// Room for the encoded form of the longest path Windows allows: up to five digits and a comma
// for each of its 32767 code units and the six marker characters.
inline constexpr unsigned kEncodedPathCapacity = (32767 + 6) * 6 + 1;

// Reads every key of the display from the settings file, together with the global keys that
// belong to a display load (m_subfolder, m_image_timer, m_rotate_speed, m_new_on_top_state), then lets `host`
// create the window if there is none. `host` may be null.
void LoadDisplayConfig(DisplayConfig& display, AppConfig& app, DisplayWindowHost* host);

// The steps of loading all settings that belong to other parts of the program.
struct SettingsLoadHooks {
    std::function<int()> queryAutostart;                // the start-with-Windows state, 0 or 1
    std::function<void(int slot)> prepareDialogForSlot;  // before a further slot is loaded
    std::function<DisplayWindowHost*(int slot)> displayHost;
};

struct LoadedSettings {
    int autostart = 0;
};

// The settings records of the display slots, slot 0 first; each belongs to its display.
using DisplayConfigSlots = std::array<DisplayConfig*, kDisplaySlotCount>;

// Loads the global settings and every display slot in use, in the order the settings dialog
// relies on. Returns what is not part of the records.
LoadedSettings LoadAllSettings(AppConfig& app, const DisplayConfigSlots& displays, const SettingsLoadHooks& hooks);
