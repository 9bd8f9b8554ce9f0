#include "display/frame_pacing.h"

bool FramePacer::TakeFrame(uint64_t nowMs) {
    if (MillisecondsUntilDue(nowMs) != 0) return false;
    m_hasFrame = true;
    m_lastFrameMs = nowMs;
    return true;
}

uint64_t FramePacer::MillisecondsUntilDue(uint64_t nowMs) const {
    if (!m_hasFrame) return 0;
    // A tick before the last frame cannot come from a monotonic clock; drawing at once is the
    // safe answer rather than waiting for the difference to wrap.
    if (nowMs < m_lastFrameMs) return 0;
    const uint64_t elapsed = nowMs - m_lastFrameMs;
    return elapsed > kFrameSpacingMs ? 0 : kFrameSpacingMs + 1 - elapsed;
}
