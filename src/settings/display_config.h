#pragma once

#include <string>

#include "settings/setting_item.h"

inline constexpr int kDisplaySlotCount = 8;

// The key suffix of a display slot: none for slot 0, "_2" to "_8" for slots 1 to 7.
std::wstring DisplaySlotSuffix(int slot);

// The default left edge of a display: centred on the virtual screen.
int DefaultDisplayLeft(int virtualScreenLeft, int virtualScreenWidth, int displayWidth);

// The edge length of a display window (the size slider), and the opacity in percent.
inline constexpr SettingRange kDisplaySizeRange{128, 1500};
inline constexpr SettingRange kTransparencyRange{10, 100};
// Where a window's left and top edges can be: the coordinates Windows' window messages carry.
// A display placed far off every screen is brought back when its window is made.
inline constexpr SettingRange kWindowPositionRange{-32768, 32767};

// The part of a display that is loaded from and saved to the settings file. Every key carries
// the slot suffix; every setter writes its key at once when the value changes; a value read from
// the file is held within its range (setting_item.h).
struct DisplayConfig {
    DisplayConfig() : DisplayConfig(0) {}
    explicit DisplayConfig(int slot);

    // Gives every key the suffix of `slot`.
    void AssignSlot(int slot);
    int Slot() const { return m_slot; }

    // Text settings of the display's drawing object.
    IntSetting textAlign{L"m_ddc_align", 1, {0, 2}};  // 0 left, 1 right, 2 centre
    IntSetting textBold{L"m_ddc_bold", 1, {0, 1}};
    IntSetting textItalic{L"m_ddc_italic", 1, {0, 1}};
    IntSetting textShadow{L"m_ddc_shadow", 1, {0, 1}};
    IntSetting showDate{L"m_ddc_show_date", 1, {0, 1}};
    IntSetting textOutline{L"m_ddc_outline", 1, {0, 1}};
    IntSetting textPlacement{L"m_ddc_top_N", 0, {0, 2}};  // cycles 0, 1, 2
    IntSetting showSeconds{L"show_sec", 1, {0, 1}};
    TextSetting fontName{L"DDC_Font"};

    IntSetting pictureSource{L"img_id", 0, {0, 2}};  // 0 samples, 1 folder, 2 individual list
    // 1: the pictures of a folder or of the individual list come in a random order, each once per
    // cycle; 0: in the list's sorted order.
    IntSetting shuffle{L"m_shuffle", 0, {0, 1}};
    IntSetting size{L"cx", 400, kDisplaySizeRange};  // edge length of the square window
    IntSetting left{L"point_x", 0, kWindowPositionRange};
    IntSetting top{L"point_y", 100, kWindowPositionRange};
    IntSetting fixedPosition{L"fix_pos", 0, {0, 1}};  // mouse input passes through the display
    IntSetting transparency{L"transparency", 75, kTransparencyRange};
    IntSetting disabled{L"disable", 0, {0, 1}};  // written by "Disable"; never read at start
    IntSetting userShadow{L"UserShadow", 4};     // no behaviour depends on it

    // Opacity in percent as the frame composition uses it; follows `transparency`.
    double opacity = 75.0;
    int height = 400;
    // The rotation speed copied from the global setting at each load.
    int rotationSpeed = 7;

private:
    int m_slot = 0;
};

// The display that owns a DisplayConfig. Loading creates the display's window when it has none.
class DisplayWindowHost {
public:
    virtual ~DisplayWindowHost() = default;
    virtual bool HasDisplayWindow() const = 0;
    virtual void CreateDisplayWindow(int size) = 0;
};

// Writes size, left and top (in this order) after the display was moved or resized.
void SaveDisplayPlacement(const DisplayConfig& display);
