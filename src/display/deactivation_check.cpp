#include "display/deactivation_check.h"

#include <windows.h>

#include <ctime>

#include "common/process_flags.h"
#include "display/deactivation_rules.h"
#include "display/display_window.h"
#include "settings/app_config.h"

namespace {

DeactivationRules& Rules() {
    static DeactivationRules rules;
    return rules;
}

}  // namespace

std::optional<std::wstring> RunDeactivationCheck(CWinAlphaUhr& currentDisplay) {
    POINT cursor{0, 0};
    const bool cursorKnown = GetCursorPos(&cursor) != FALSE;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const ULARGE_INTEGER ticks{{now.dwLowDateTime, now.dwHighDateTime}};
    // File time counts 100 ns steps since 1601.
    const int64_t nowMs = static_cast<int64_t>(ticks.QuadPart / 10000) - 11644473600000LL;

    const AppConfig& app = GlobalAppConfig();
    const DeactivationResult result = Rules().DeactivationCheck(
        app.deactivateMode.Value(), app.deactivateSeconds.Value(), DeactivationReadings{cursor.x, cursor.y, nowMs, cursorKnown},
        [](int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; });
    g_deactivatedState = result.deactivatedState;
    if (result.applyVisibility) currentDisplay.ApplyVisibility();
    if (result.countdownChanged) return result.countdownText;
    return std::nullopt;
}

void ResetDeactivation() {
    Rules().Reset();
    g_deactivatedState = 0;
}
