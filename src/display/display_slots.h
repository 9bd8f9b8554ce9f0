#pragma once

#include <array>

#include "display/win_alpha_uhr.h"
#include "settings/app_config.h"

// The program's fixed table of display slots; slot 0 is the display that runs. Made on first
// use and kept until the process ends.
std::array<CWinAlphaUhr, kDisplaySlotCount>& DisplaySlots();

// The settings records of all slots, for loading the settings.
DisplayConfigSlots DisplayConfigsOfSlots();

// Asks every display's worker to stop and waits for each a short, bounded time.
void StopAllDisplayWorkers();
