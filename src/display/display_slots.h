#pragma once

#include <array>

#include "display/display_window.h"
#include "settings/app_config.h"

// The program's fixed table of display slots; slot 0 is the display that runs. Made on first
// use and kept until the process ends.
std::array<CWinAlphaUhr, kDisplaySlotCount>& DisplaySlots();

// The settings records of all slots, for loading the settings.
DisplayConfigSlots DisplayConfigsOfSlots();

// Whether the table has been made (it is made on first use).
bool DisplaySlotsMade();

// Asks every display's worker to stop and waits for each a short, bounded time. Makes nothing
// when the table was never made.
void StopAllDisplayWorkers();

// Shows or hides every display as the disabled flag and the deactivation now want.
void ApplyVisibilityOfAllDisplays();

// Draws a frame of every display that has a window, now rather than at its frame timer's next
// firing.
void DrawFramesNow();
