#pragma once

#include <cstdint>

// When a display draws its next frame. The frame timer asks at every wake-up; the pacer answers
// from a 64-bit millisecond tick that never wraps (GetTickCount64), so a display that runs for
// weeks keeps its frames coming. A frame is due when more than `kFrameSpacingMs` passed since the
// last one: a frame at most every 31 ms.
class FramePacer {
public:
    static constexpr uint64_t kFrameSpacingMs = 30;

    // True when a frame is due at `nowMs`; the pacer then counts it as drawn at `nowMs`. The
    // very first question is always answered with a frame.
    bool TakeFrame(uint64_t nowMs);

    // Milliseconds from `nowMs` until the next frame is due; 0 when one is due now.
    uint64_t MillisecondsUntilDue(uint64_t nowMs) const;

private:
    bool m_hasFrame = false;
    uint64_t m_lastFrameMs = 0;
};
