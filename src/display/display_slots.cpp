#include "display/display_slots.h"

#include <atomic>

namespace {

std::atomic<bool> g_slotsMade{false};

}  // namespace

std::array<CWinAlphaUhr, kDisplaySlotCount>& DisplaySlots() {
    static std::array<CWinAlphaUhr, kDisplaySlotCount> displays;
    static const bool numbered = [] {
        for (int slot = 0; slot < kDisplaySlotCount; ++slot) displays[slot].SetSlot(slot);
        g_slotsMade = true;
        return true;
    }();
    (void)numbered;
    return displays;
}

bool DisplaySlotsMade() { return g_slotsMade; }

DisplayConfigSlots DisplayConfigsOfSlots() {
    DisplayConfigSlots slots{};
    for (int slot = 0; slot < kDisplaySlotCount; ++slot) slots[slot] = &DisplaySlots()[slot].Config();
    return slots;
}

void StopAllDisplayWorkers() {
    // A start that only handed over to the running program never made the displays.
    if (!DisplaySlotsMade()) return;
    for (CWinAlphaUhr& display : DisplaySlots()) display.StopWorker();
}

void ApplyVisibilityOfAllDisplays() {
    if (!DisplaySlotsMade()) return;
    for (CWinAlphaUhr& display : DisplaySlots()) display.ApplyVisibility();
}

void DrawFramesNow() {
    if (!DisplaySlotsMade()) return;
    for (CWinAlphaUhr& display : DisplaySlots()) {
        if (display.Window() != nullptr) display.DrawFrameNow();
    }
}
