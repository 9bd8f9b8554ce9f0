#include "display/frame_pacing.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(FramePacer, FirstFrameAtOnceThenAtMostEvery31Ms) {
    FramePacer pacer;
    EXPECT_TRUE(pacer.TakeFrame(1000));
    EXPECT_FALSE(pacer.TakeFrame(1000));
    EXPECT_FALSE(pacer.TakeFrame(1030)) << "30 ms is not yet more than the spacing";
    EXPECT_EQ(pacer.MillisecondsUntilDue(1030), 1u);
    EXPECT_TRUE(pacer.TakeFrame(1031));
    EXPECT_EQ(pacer.MillisecondsUntilDue(1031), 31u);
    EXPECT_EQ(pacer.MillisecondsUntilDue(1050), 12u);
}

// The frames of a display that has run for weeks: the tick passes the points where a 32-bit
// millisecond count turns negative (2^31, about 25 days) or wraps (2^32, about 49 days).
TEST(FramePacer, KeepsItsSpacingAcrossThe32BitBoundaries) {
    const uint64_t boundaries[] = {uint64_t{1} << 31, uint64_t{1} << 32, (uint64_t{1} << 32) * 3};
    for (const uint64_t boundary : boundaries) {
        SCOPED_TRACE(boundary);
        FramePacer pacer;
        uint64_t now = boundary - 100;
        ASSERT_TRUE(pacer.TakeFrame(now));
        // A wake-up every millisecond for a quarter of a second across the boundary: a frame every
        // 31 ms, the same as anywhere else.
        int frames = 0;
        uint64_t lastFrame = now;
        for (int step = 0; step < 250; ++step) {
            ++now;
            if (pacer.TakeFrame(now)) {
                EXPECT_EQ(now - lastFrame, 31u) << "at " << now;
                lastFrame = now;
                ++frames;
            }
        }
        EXPECT_EQ(frames, 250 / 31);
    }
}

TEST(FramePacer, AClockThatGoesBackDrawsAtOnce) {
    FramePacer pacer;
    ASSERT_TRUE(pacer.TakeFrame(5000));
    EXPECT_EQ(pacer.MillisecondsUntilDue(4000), 0u);
    EXPECT_TRUE(pacer.TakeFrame(4000));
    EXPECT_FALSE(pacer.TakeFrame(4010));
}

}  // namespace
