#include "display/display_slots.h"

std::array<CWinAlphaUhr, kDisplaySlotCount>& DisplaySlots() {
    static std::array<CWinAlphaUhr, kDisplaySlotCount> displays;
    return displays;
}

DisplayConfigSlots DisplayConfigsOfSlots() {
    DisplayConfigSlots slots{};
    for (int slot = 0; slot < kDisplaySlotCount; ++slot) slots[slot] = &DisplaySlots()[slot].Config();
    return slots;
}

void StopAllDisplayWorkers() {
    for (CWinAlphaUhr& display : DisplaySlots()) display.StopWorker();
}
