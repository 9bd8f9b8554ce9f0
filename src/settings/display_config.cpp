#include "settings/display_config.h"

#include <windows.h>

std::wstring DisplaySlotSuffix(int slot) { return slot <= 0 ? std::wstring() : L"_" + std::to_wstring(slot + 1); }

int DefaultDisplayLeft(int virtualScreenLeft, int virtualScreenWidth, int displayWidth) {
    return (virtualScreenLeft + virtualScreenWidth) / 2 - static_cast<int>(displayWidth * 0.5);
}

DisplayConfig::DisplayConfig(int slot) {
    left.Hold(
        DefaultDisplayLeft(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN), size.Value()));
    AssignSlot(slot);
}

void DisplayConfig::AssignSlot(int slot) {
    m_slot = slot;
    const std::wstring suffix = DisplaySlotSuffix(slot);
    IntSetting* const items[] = {&textAlign,     &textBold,      &textItalic,    &textShadow, &showDate,  &textOutline,
                                 &textPlacement, &showSeconds,   &pictureSource, &shuffle,    &size,      &left,
                                 &top,           &fixedPosition, &transparency,  &disabled,   &userShadow};
    for (IntSetting* item : items) item->ApplySuffix(suffix);
    fontName.ApplySuffix(suffix);
}

void SaveDisplayPlacement(const DisplayConfig& display) {
    IniWriteInt(display.size.Key().c_str(), display.size.Value());
    IniWriteInt(display.left.Key().c_str(), display.left.Value());
    IniWriteInt(display.top.Key().c_str(), display.top.Value());
}
