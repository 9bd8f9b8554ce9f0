#pragma once

#include <cstdint>
#include <functional>
#include <string>

// When the displays hide because the user is typing or moving the mouse, and when they come
// back. The settings dialog's 100 ms timer calls `DeactivationCheck` once per tick with what it
// read (cursor position, clock) and a way to ask which keys are down; the result says whether to
// apply the displays' visibility again and what the countdown label shows. No window, key or
// cursor function is called here, so the rules can be followed check by check.
//
// Deactivation modes (`m_deactivate_mode`): 0 nothing counts as activity; 1 the cursor moving
// into another 32 x 32 pixel cell; 2 any virtual key 5 to 255 down (1 to 4 are the mouse buttons
// and cancel); 3 both. After each activity the displays stay hidden until `m_deactivate_sec`
// whole seconds have passed; every further activity pushes that back.

// Answers whether the virtual key `virtualKey` (5 to 255) is down at this moment, for example
// from the high bit of GetAsyncKeyState. Asked only in modes 2 and 3, in rising key order, and
// no further once a key is found down.
using KeyDownQuery = std::function<bool(int virtualKey)>;

// What the caller read for one check.
struct DeactivationReadings {
    int cursorX = 0;  // cursor position in screen pixels (GetCursorPos)
    int cursorY = 0;
    int64_t nowMs = 0;  // wall-clock time in milliseconds since 1970; whole seconds are what count
    // False when the cursor position could not be read (a locked workstation): no movement then.
    bool cursorKnown = true;
};

// What one check asks of the caller.
struct DeactivationResult {
    // Apply the current display's visibility now (ApplyVisibility): it hides while
    // `deactivatedState` is 1 (or the disabled flag is set) and shows otherwise. Set when a
    // deactivation starts and on every check while none runs.
    bool applyVisibility = false;
    // The deactivated state after the check (see `DeactivatedState`); the caller stores it in the
    // process-wide flag that ApplyVisibility reads, before applying the visibility.
    int deactivatedState = -1;
    // The countdown label is to show `countdownText` (it differs from the text last shown).
    bool countdownChanged = false;
    std::wstring countdownText;
};

// The countdown label's text for `remainingSeconds`: three digits with leading zeros ("005"),
// more digits when needed. A negative remainder, which only a stalled timer produces, shows "000".
std::wstring FormatCountdown(int64_t remainingSeconds);

// True when the cursor at (x, y) is in another 32 x 32 pixel cell than (lastX, lastY): the two
// differ in some bit above the lowest five. Cells line up on multiples of 32, also for the
// negative coordinates of monitors left of or above the primary one.
bool CursorCellChanged(int x, int y, int lastX, int lastY);

// The process-wide deactivation state. One object for the whole process, used on the main thread.
class DeactivationRules {
public:
    static constexpr int kFirstKey = 5;
    static constexpr int kLastKey = 255;

    // One check, in this order: a key down (modes 2, 3) or a cursor move into another cell (modes
    // 1, 3) is activity and ends the check; the first detected cursor move after start only records
    // the position. Without a running deadline the displays are shown again (in every mode). With
    // one, the remaining seconds are counted down; when none remain the deadline ends and the next
    // check shows the displays. `isKeyDown` may be empty in modes 0 and 1.
    DeactivationResult DeactivationCheck(int deactivateMode, int deactivateSeconds,
                                         const DeactivationReadings& readings, const KeyDownQuery& isKeyDown);

    // The deactivation mode changed: no deactivation runs any more and the displays are no longer
    // held hidden (the next check applies their visibility). The caller sets the process-wide
    // flag to 0 as well.
    void Reset() {
        m_deadlineSeconds = 0;
        m_deactivatedState = 0;
    }

    // -1 before the first check, 1 while the displays are hidden by deactivation, otherwise 0.
    int DeactivatedState() const { return m_deactivatedState; }
    bool HidesDisplays() const { return m_deactivatedState == 1; }
    // Seconds since 1970 at which hidden displays reappear; 0 while no deactivation runs.
    int64_t DeadlineSeconds() const { return m_deadlineSeconds; }

private:
    static constexpr int kStartCursor = -100;

    void RunCheck(int deactivateMode, int deactivateSeconds, const DeactivationReadings& readings,
                  const KeyDownQuery& isKeyDown, DeactivationResult& result);
    void Deactivate(int64_t nowSeconds, int deactivateSeconds, DeactivationResult& result);

    int m_deactivatedState = -1;
    int64_t m_deadlineSeconds = 0;
    int m_lastCursorX = kStartCursor;
    int m_lastCursorY = kStartCursor;
    bool m_firstMovementPending = true;  // the first detected move only records the position
    std::wstring m_shownCountdown;
};
