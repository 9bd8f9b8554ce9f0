#include "display/rotation_schedule.h"

RotationSchedule::Pass RotationSchedule::Tick(int pictureSource, int pictureCount, int intervalSeconds,
                                              bool rebuildRequested) {
    Pass pass;
    m_clock = static_cast<float>(m_clock + 0.1);

    const bool quick = m_changeCount < kQuickChanges;
    if (pictureSource == 0) {
        const float threshold = quick ? 1.0f : 2.0f * static_cast<float>(intervalSeconds);
        if (m_clock - m_lastChange > threshold) {
            ++m_changeCount;
            pass.rotateSamples = true;
            m_lastChange = m_clock;
        }
    } else if (pictureCount > 0) {
        const float threshold = quick ? 1.0f : static_cast<float>(intervalSeconds);
        if (m_clock - m_lastChange > threshold) {
            ++m_changeCount;
            ++m_currentIndex;
            if (m_currentIndex >= pictureCount || m_currentIndex <= 0) m_currentIndex = 0;
            pass.pictureIndex = m_currentIndex;
            m_lastChange = m_clock;
        }
    }

    if (pictureSource != m_previousSource || rebuildRequested) {
        m_changeCount = 0;
        m_previousSource = pictureSource;
        pass.rebuildLists = true;
    }
    return pass;
}
