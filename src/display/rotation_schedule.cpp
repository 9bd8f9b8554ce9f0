#include "display/rotation_schedule.h"

bool RotationSchedule::ChangeThreshold(int pictureSource, int pictureCount, int intervalSeconds,
                                       float& threshold) const {
    const bool quick = m_changeCount < kQuickChanges;
    if (pictureSource == 0) {
        threshold = quick ? 1.0f : 2.0f * static_cast<float>(intervalSeconds);
        return true;
    }
    if (pictureCount <= 0) return false;
    threshold = quick ? 1.0f : static_cast<float>(intervalSeconds);
    return true;
}

RotationSchedule::Pass RotationSchedule::Tick(int pictureSource, int pictureCount, int intervalSeconds,
                                              bool rebuildRequested) {
    Pass pass;
    m_clock = NextClock(m_clock);

    float threshold = 0.0f;
    if (ChangeThreshold(pictureSource, pictureCount, intervalSeconds, threshold) &&
        m_clock - m_lastChange > threshold) {
        ++m_changeCount;
        if (pictureSource == 0) {
            pass.rotateSamples = true;
        } else {
            ++m_currentIndex;
            if (m_currentIndex >= pictureCount || m_currentIndex <= 0) m_currentIndex = 0;
            pass.pictureIndex = m_currentIndex;
        }
        m_lastChange = m_clock;
    }

    if (pictureSource != m_previousSource || rebuildRequested) {
        m_changeCount = 0;
        m_previousSource = pictureSource;
        pass.rebuildLists = true;
    }
    return pass;
}

int RotationSchedule::QuietPasses(int pictureSource, int pictureCount, int intervalSeconds, int limit) const {
    if (pictureSource != m_previousSource) return 0;
    float threshold = 0.0f;
    if (!ChangeThreshold(pictureSource, pictureCount, intervalSeconds, threshold)) return limit;
    float clock = m_clock;
    for (int passes = 0; passes < limit; ++passes) {
        clock = NextClock(clock);
        if (clock - m_lastChange > threshold) return passes;
    }
    return limit;
}

void RotationSchedule::AdvanceQuietly(int passes) {
    for (int pass = 0; pass < passes; ++pass) m_clock = NextClock(m_clock);
}
