#include "display/cover_rules.h"

#include <gtest/gtest.h>

namespace {

constexpr ScreenBox kMonitor{0, 0, 1280, 1024};
constexpr ScreenBox kSecondMonitor{1280, 0, 1920, 1080};
constexpr ScreenBox kDisplay{440, 100, 400, 400};

TEST(CoversWhole, Table) {
    const struct {
        ScreenBox outer, inner;
        bool covers;
    } cases[] = {
        {{0, 0, 100, 100}, {0, 0, 100, 100}, true},
        {{-10, -10, 120, 120}, {0, 0, 100, 100}, true},
        {{0, 0, 99, 100}, {0, 0, 100, 100}, false},
        {{1, 0, 100, 100}, {0, 0, 100, 100}, false},
        {{0, 0, 100, 100}, {20, 20, 10, 10}, true},
        {{0, 0, 0, 0}, {0, 0, 0, 0}, false},  // an empty window covers nothing
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testing::Message() << testCase.outer.left << "," << testCase.outer.top << " "
                                        << testCase.outer.width << "x" << testCase.outer.height);
        EXPECT_EQ(CoversWhole(testCase.outer, testCase.inner), testCase.covers);
    }
}

TEST(IsDisplayOutOfSight, Table) {
    const WindowInSight fullScreen{{0, 0, 1280, 1024}, false};
    const WindowInSight largerThanTheScreen{{-8, -8, 1296, 1040}, false};
    const WindowInSight halfScreen{{0, 0, 640, 1024}, false};
    const WindowInSight maximized{{0, 0, 1280, 984}, true};  // the work area, above the taskbar
    const WindowInSight maximizedElsewhere{{1280, 0, 1920, 1040}, true};
    const WindowInSight fullScreenElsewhere{{1280, 0, 1920, 1080}, false};
    const WindowInSight bigButNotMaximized{{100, 50, 900, 700}, false};
    const struct {
        const char* what;
        bool onTheDesktop;
        bool hasForeground;
        WindowInSight foreground;
        std::vector<WindowInSight> above;
        bool outOfSight;
    } cases[] = {
        {"nothing in front", false, false, {}, {}, false},
        {"a full-screen program in front", false, true, fullScreen, {}, true},
        {"a window a little larger than the screen", false, true, largerThanTheScreen, {}, true},
        {"half the screen", false, true, halfScreen, {}, false},
        {"a maximised window in front of a topmost display", false, true, maximized, {}, false},
        {"full screen on the other monitor", false, true, fullScreenElsewhere, {}, false},
        {"on the desktop: full screen in front", true, true, fullScreen, {}, true},
        {"on the desktop: a maximised window over it", true, false, {}, {halfScreen, maximized}, true},
        {"on the desktop: maximised on the other monitor", true, false, {}, {maximizedElsewhere}, false},
        {"on the desktop: a large window that is not maximised", true, false, {}, {bigButNotMaximized}, false},
        {"on the desktop: a full-screen window behind the foreground", true, true, halfScreen, {halfScreen, fullScreen}, true},
        {"topmost: windows above do not count", false, false, {}, {maximized, fullScreen}, false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        CoverReadings readings;
        readings.display = kDisplay;
        readings.monitor = kMonitor;
        readings.onTheDesktop = testCase.onTheDesktop;
        readings.hasForeground = testCase.hasForeground;
        readings.foreground = testCase.foreground;
        readings.windowsAbove = testCase.above;
        EXPECT_EQ(IsDisplayOutOfSight(readings), testCase.outOfSight);
    }
    // A display on the second monitor is hidden by what fills that monitor only.
    CoverReadings second;
    second.display = {1500, 100, 300, 300};
    second.monitor = kSecondMonitor;
    second.hasForeground = true;
    second.foreground = fullScreen;
    EXPECT_FALSE(IsDisplayOutOfSight(second));
    second.foreground = fullScreenElsewhere;
    EXPECT_TRUE(IsDisplayOutOfSight(second));
}

}  // namespace
