#pragma once

// When a display changes its picture. The display's worker calls `Tick` once per 100 ms pass;
// the schedule says what the pass must do, so the timing can be followed tick by tick without
// a thread or a clock.
//
// After every list rebuild the first four changes come one second apart (the very first at the
// next tick), later ones every interval for folder and list pictures and every two intervals
// for the sample pictures. The picture index moves on before it is used and wraps to 0.
class RotationSchedule {
public:
    struct Pass {
        bool rotateSamples = false;  // move the sample pictures one face on
        int pictureIndex = -1;       // hand over the picture at this position; -1: none
        bool rebuildLists = false;   // build the picture list again (after the change check)
    };

    // One pass: advances the clock by 0.1 s, checks for a picture change with the list as it is
    // (`pictureCount` pictures), then decides on a rebuild when the source changed or a rebuild
    // was requested. `intervalSeconds` is read at every pass, so a change applies at once.
    Pass Tick(int pictureSource, int pictureCount, int intervalSeconds, bool rebuildRequested);

    // How many of the next passes, given the same inputs and no rebuild request, would only
    // advance the clock (at most `limit`): 0 when the very next one changes a picture or
    // rebuilds the lists. A worker may sleep through them and make up for them with
    // AdvanceQuietly.
    int QuietPasses(int pictureSource, int pictureCount, int intervalSeconds, int limit) const;
    // Advances the clock as `passes` passes that change nothing would.
    void AdvanceQuietly(int passes);

    // The aspect mode changed: the quick first changes start again.
    void RestartQuickChanges() { m_changeCount = 0; }
    // The picture shown at this change is another one than the pass named (the one named could
    // not be shown and left the list); the next change moves on from `index`.
    void SetCurrentIndex(int index) { m_currentIndex = index; }
    // A picture change made outside the schedule (the first picture of a search, shown as soon as
    // it is found): it counts as a change now, showing the picture at `index`.
    void ChangedNow(int index) {
        ++m_changeCount;
        m_currentIndex = index;
        m_lastChange = m_clock;
    }

    float Clock() const { return m_clock; }
    int ChangeCount() const { return m_changeCount; }
    int CurrentIndex() const { return m_currentIndex; }

private:
    static constexpr int kQuickChanges = 4;

    // The clock after one more pass.
    float NextClock(float clock) const { return static_cast<float>(clock + 0.1); }
    // The time that must pass after the last change before the next one; nothing when no change
    // can come (a list source without pictures).
    bool ChangeThreshold(int pictureSource, int pictureCount, int intervalSeconds, float& threshold) const;

    float m_clock = 0.0f;
    float m_lastChange = -5000.0f;
    int m_changeCount = 0;
    int m_previousSource = -1;
    int m_currentIndex = 0;
};
