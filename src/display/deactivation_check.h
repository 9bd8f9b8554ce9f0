#pragma once

#include <optional>
#include <string>

class CWinAlphaUhr;

// One deactivation check, run every 100 ms on the main thread: reads the keyboard and the
// cursor, hides the displays after activity and shows them again `m_deactivate_sec` seconds
// after the last. While no deactivation runs it re-applies the current display's visibility.
// Returns the countdown text when it changed (for the settings window's label).
std::optional<std::wstring> RunDeactivationCheck(CWinAlphaUhr& currentDisplay);

// The deactivation mode changed: no deactivation runs any more.
void ResetDeactivation();
