#include "display/deactivation_rules.h"

#include <utility>

namespace {

constexpr int kCellMask = ~31;

// Whole seconds since 1970, as the C library's time() gives them.
int64_t WholeSeconds(int64_t ms) { return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000); }

bool WatchesKeys(int mode) { return mode == 2 || mode == 3; }

bool WatchesCursor(int mode) { return mode == 1 || mode == 3; }

}  // namespace

std::wstring FormatCountdown(int64_t remainingSeconds) {
    std::wstring text = std::to_wstring(remainingSeconds > 0 ? remainingSeconds : 0);
    if (text.size() < 3) text.insert(0, 3 - text.size(), L'0');
    return text;
}

bool CursorCellChanged(int x, int y, int lastX, int lastY) {
    return ((x ^ lastX) & kCellMask) != 0 || ((y ^ lastY) & kCellMask) != 0;
}

DeactivationResult DeactivationRules::DeactivationCheck(int deactivateMode, int deactivateSeconds,
                                                        const DeactivationReadings& readings,
                                                        const KeyDownQuery& isKeyDown) {
    DeactivationResult result;
    RunCheck(deactivateMode, deactivateSeconds, readings, isKeyDown, result);
    result.deactivatedState = m_deactivatedState;
    return result;
}

void DeactivationRules::RunCheck(int deactivateMode, int deactivateSeconds, const DeactivationReadings& readings,
                                 const KeyDownQuery& isKeyDown, DeactivationResult& result) {
    const int64_t nowSeconds = WholeSeconds(readings.nowMs);

    if (WatchesKeys(deactivateMode) && isKeyDown) {
        for (int key = kFirstKey; key <= kLastKey; ++key) {
            if (isKeyDown(key)) {
                Deactivate(nowSeconds, deactivateSeconds, result);
                return;
            }
        }
    }

    if (WatchesCursor(deactivateMode) && readings.cursorKnown &&
        CursorCellChanged(readings.cursorX, readings.cursorY, m_lastCursorX, m_lastCursorY)) {
        m_lastCursorX = readings.cursorX;
        m_lastCursorY = readings.cursorY;
        if (m_firstMovementPending) {
            m_firstMovementPending = false;
        } else {
            Deactivate(nowSeconds, deactivateSeconds, result);
            return;
        }
    }

    if (m_deadlineSeconds <= 0) {
        m_deactivatedState = 0;
        result.applyVisibility = true;
        return;
    }

    const int64_t remaining = m_deadlineSeconds - nowSeconds;
    if (remaining <= 0) m_deadlineSeconds = 0;
    std::wstring text = FormatCountdown(remaining);
    if (text != m_shownCountdown) {
        m_shownCountdown = text;
        result.countdownChanged = true;
        result.countdownText = std::move(text);
    }
}

void DeactivationRules::Deactivate(int64_t nowSeconds, int deactivateSeconds, DeactivationResult& result) {
    if (m_deadlineSeconds == 0) {
        m_deactivatedState = 1;
        result.applyVisibility = true;
    }
    m_deadlineSeconds = nowSeconds + deactivateSeconds;
}
