#include "display/screen_placement.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr ScreenBox kPrimary{0, 0, 1920, 1080};
// A monitor of 1280 x 1024 left of a 1920 x 1080 primary, its top 200 pixels higher.
constexpr ScreenBox kLeftMonitorAndPrimary{-1280, -200, 3200, 1280};

struct PlacementCase {
    const char* name;
    ScreenBox window;
    ScreenBox screen;
    int quarter;
    bool move;
    int left;
    int top;
};

std::string Describe(const ScreenBox& box) {
    std::ostringstream text;
    text << "(" << box.left << ", " << box.top << ", " << box.width << " x " << box.height << ")";
    return text.str();
}

TEST(KeepOnScreen, AllowedOverhangIsTruncatedQuarterOrHalf) {
    struct Case {
        int size, quarter, overhang;
    } cases[] = {
        {400, 1, 100}, {401, 1, 100}, {403, 1, 100}, {404, 1, 101}, {3, 1, 0},     {0, 1, 0},
        {400, 0, 200}, {401, 0, 200}, {1, 0, 0},     {2, 0, 1},     {999, 0, 499},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << c.size << ", quarter " << c.quarter);
        EXPECT_EQ(c.overhang, AllowedOverhang(c.size, c.quarter));
    }
}

TEST(KeepOnScreen, CorrectedPositions) {
    const PlacementCase cases[] = {
        {"inside", {100, 100, 400, 400}, kPrimary, 0, false, 100, 100},
        {"inside, quarter", {100, 100, 400, 400}, kPrimary, 1, false, 100, 100},
        {"left: three quarters out comes back to exactly half", {-300, 100, 400, 400}, kPrimary, 0, true, -200, 100},
        {"left: far out comes back to exactly half", {-5000, 100, 400, 400}, kPrimary, 0, true, -200, 100},
        {"left: exactly half out stays", {-200, 100, 400, 400}, kPrimary, 0, false, -200, 100},
        {"left: one pixel more than half", {-201, 100, 400, 400}, kPrimary, 0, true, -200, 100},
        {"left, quarter: comes back to a quarter", {-150, 100, 400, 400}, kPrimary, 1, true, -100, 100},
        {"left, quarter: a quarter out stays", {-100, 100, 400, 400}, kPrimary, 1, false, -100, 100},
        {"right: half allowed", {1720, 100, 400, 400}, kPrimary, 0, false, 1720, 100},
        {"right: more than half", {1800, 100, 400, 400}, kPrimary, 0, true, 1720, 100},
        {"right, quarter", {1800, 100, 400, 400}, kPrimary, 1, true, 1620, 100},
        {"right, quarter: one pixel over", {1621, 100, 400, 400}, kPrimary, 1, true, 1620, 100},
        {"top: more than half", {100, -300, 400, 400}, kPrimary, 0, true, 100, -200},
        {"top: half stays", {100, -200, 400, 400}, kPrimary, 0, false, 100, -200},
        {"top, quarter", {100, -101, 400, 400}, kPrimary, 1, true, 100, -100},
        {"bottom: more than half", {100, 1000, 400, 400}, kPrimary, 0, true, 100, 880},
        {"bottom: half stays", {100, 880, 400, 400}, kPrimary, 0, false, 100, 880},
        {"bottom, quarter", {100, 1000, 400, 400}, kPrimary, 1, true, 100, 780},
        {"top left corner", {-500, -500, 400, 400}, kPrimary, 1, true, -100, -100},
        {"bottom right corner", {2000, 1200, 400, 400}, kPrimary, 0, true, 1720, 880},
        {"bottom left corner", {-300, 1000, 400, 400}, kPrimary, 0, true, -200, 880},
        {"top right corner", {1900, -400, 400, 400}, kPrimary, 1, true, 1620, -100},
        {"odd size, quarter", {-150, -150, 401, 403}, kPrimary, 1, true, -100, -100},
        {"odd size, half", {-250, 1000, 401, 403}, kPrimary, 0, true, -200, 878},
        {"not square", {-600, 900, 600, 300}, kPrimary, 0, true, -300, 900},
        // Too wide and too high even with the overhang: the right and bottom edges win.
        {"larger than the screen, quarter", {0, 0, 4000, 3000}, kPrimary, 1, true, -1080, -1170},
        {"larger than the screen, half, left and top out", {-3000, -3000, 4000, 3000}, kPrimary, 0, true, -2000, -1500},
        {"larger than the screen, half, within", {-1000, -1000, 4000, 3000}, kPrimary, 0, false, -1000, -1000},
        {"larger than the screen, half, right and bottom out", {0, 0, 4000, 3000}, kPrimary, 0, true, -80, -420},
        {"too wide, out on both sides: the right edge wins", {-1050, 0, 4000, 400}, kPrimary, 1, true, -1080, 0},
        {"too wide, right edge exactly on the allowance: the left edge pulls",
         {-1080, 0, 4000, 400},
         kPrimary,
         1,
         true,
         -1000,
         0},
        {"too high, out at top and bottom: the bottom edge wins", {0, -800, 400, 3000}, kPrimary, 1, true, 0, -1170},
        {"too high, bottom edge exactly on the allowance: the top edge pulls",
         {0, -1170, 400, 3000},
         kPrimary,
         1,
         true,
         0,
         -750},
        // Virtual screen with a negative origin: the left monitor belongs to it.
        {"left monitor: inside", {-1000, 0, 400, 400}, kLeftMonitorAndPrimary, 0, false, -1000, 0},
        {"left monitor: above the primary", {-1200, -250, 400, 400}, kLeftMonitorAndPrimary, 0, false, -1200, -250},
        {"left monitor: beyond its left edge", {-1600, 100, 400, 400}, kLeftMonitorAndPrimary, 0, true, -1480, 100},
        {"left monitor: beyond its top left", {-1400, -500, 400, 400}, kLeftMonitorAndPrimary, 1, true, -1380, -300},
        {"left monitor: beyond the right of the primary",
         {1900, 0, 400, 400},
         kLeftMonitorAndPrimary,
         1,
         true,
         1620,
         0},
        {"left monitor: below", {-1000, 1200, 400, 400}, kLeftMonitorAndPrimary, 0, true, -1000, 880},
        // A monitor as large as the primary, left of it.
        {"monitor left of the primary", {-2500, -300, 400, 400}, {-1920, 0, 3840, 1080}, 0, true, -2120, -200},
        {"monitor left of the primary, within", {-2100, -100, 400, 400}, {-1920, 0, 3840, 1080}, 0, false, -2100, -100},
    };
    for (const PlacementCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << ": window " << Describe(c.window) << ", screen "
                                        << Describe(c.screen) << ", quarter " << c.quarter);
        const PlacementMove result = KeepOnScreenPosition(c.window, c.screen, c.quarter);
        EXPECT_EQ(c.move, result.move);
        EXPECT_EQ(c.left, result.left);
        EXPECT_EQ(c.top, result.top);
    }
}

// Over a grid of places around and on two screens: a window smaller than the screen never sticks
// out by more than the allowed overhang after the correction, a window that already keeps within
// it is left alone, and a second correction changes nothing.
TEST(KeepOnScreen, NoMoreThanTheOverhangSticksOutAnywhere) {
    const ScreenBox screens[] = {kPrimary, kLeftMonitorAndPrimary};
    const int sizes[][2] = {{400, 400}, {157, 93}, {1000, 700}};
    for (const ScreenBox& screen : screens) {
        for (const auto& size : sizes) {
            for (int quarter = 0; quarter <= 1; ++quarter) {
                const int overhangX = AllowedOverhang(size[0], quarter);
                const int overhangY = AllowedOverhang(size[1], quarter);
                for (int left = screen.left - 3000; left <= screen.left + screen.width + 3000; left += 97) {
                    for (int top = screen.top - 2000; top <= screen.top + screen.height + 2000; top += 89) {
                        const ScreenBox window{left, top, size[0], size[1]};
                        SCOPED_TRACE(testing::Message() << "window " << Describe(window) << ", screen "
                                                        << Describe(screen) << ", quarter " << quarter);
                        const PlacementMove result = KeepOnScreenPosition(window, screen, quarter);
                        const int outLeft = screen.left - result.left;
                        const int outTop = screen.top - result.top;
                        const int outRight = result.left + size[0] - (screen.left + screen.width);
                        const int outBottom = result.top + size[1] - (screen.top + screen.height);
                        const bool keptWithin = screen.left - left <= overhangX && screen.top - top <= overhangY &&
                                                left + size[0] - (screen.left + screen.width) <= overhangX &&
                                                top + size[1] - (screen.top + screen.height) <= overhangY;
                        ASSERT_LE(outLeft, overhangX);
                        ASSERT_LE(outTop, overhangY);
                        ASSERT_LE(outRight, overhangX);
                        ASSERT_LE(outBottom, overhangY);
                        ASSERT_EQ(!keptWithin, result.move);
                        if (!result.move) {
                            ASSERT_EQ(left, result.left);
                            ASSERT_EQ(top, result.top);
                        }
                        // The correction moves the window only as far as needed: onto the edge.
                        if (result.left != left) {
                            ASSERT_TRUE(outLeft == overhangX || outRight == overhangX);
                        }
                        if (result.top != top) {
                            ASSERT_TRUE(outTop == overhangY || outBottom == overhangY);
                        }
                        const PlacementMove again =
                            KeepOnScreenPosition({result.left, result.top, size[0], size[1]}, screen, quarter);
                        ASSERT_FALSE(again.move);
                    }
                }
            }
        }
    }
}

struct DragEvent {
    enum Kind { kBegin, kStep, kEnd } kind;
    int cursorX;
    int cursorY;
    bool move;  // for steps: the window moves
    int left;   // for steps: the window's new top-left corner
    int top;
};

DragEvent Press(int cursorX, int cursorY) { return {DragEvent::kBegin, cursorX, cursorY, false, 0, 0}; }
DragEvent Release(int cursorX, int cursorY) { return {DragEvent::kEnd, cursorX, cursorY, false, 0, 0}; }
DragEvent Step(int cursorX, int cursorY, bool move, int left, int top) {
    return {DragEvent::kStep, cursorX, cursorY, move, left, top};
}

// Plays a sequence of button and mouse events against a window that starts at (100, 100) and
// moves wherever each step says, as the display window does.
void PlayDrag(const char* name, const std::vector<DragEvent>& events) {
    DragTracker drag;
    int windowLeft = 100;
    int windowTop = 100;
    for (size_t i = 0; i < events.size(); ++i) {
        const DragEvent& event = events[i];
        SCOPED_TRACE(testing::Message() << name << ", event " << i << " with the cursor at (" << event.cursorX << ", "
                                        << event.cursorY << ")");
        switch (event.kind) {
            case DragEvent::kBegin:
                drag.BeginDrag(event.cursorX, event.cursorY);
                EXPECT_TRUE(drag.IsDragging());
                break;
            case DragEvent::kEnd:
                drag.EndDrag();
                EXPECT_FALSE(drag.IsDragging());
                break;
            case DragEvent::kStep: {
                const PlacementMove step = drag.DragStep(windowLeft, windowTop, event.cursorX, event.cursorY);
                EXPECT_EQ(event.move, step.move);
                EXPECT_EQ(event.left, step.left);
                EXPECT_EQ(event.top, step.top);
                if (step.move) {
                    windowLeft = step.left;
                    windowTop = step.top;
                }
                break;
            }
        }
    }
}

TEST(DragTracker, WindowFollowsTheCursorTravel) {
    PlayDrag("one step", {Press(500, 500), Step(510, 495, true, 110, 95), Release(510, 495)});
    PlayDrag("several steps add up", {Press(500, 500), Step(501, 500, true, 101, 100), Step(520, 530, true, 120, 130),
                                      Step(400, 600, true, 0, 200), Step(400, 600, true, 0, 200), Release(400, 600)});
    PlayDrag("no edge check while dragging",
             {Press(10, 10), Step(-2000, -3000, true, -1910, -2910), Release(-2000, -3000)});
    PlayDrag("cursor on a monitor with negative coordinates",
             {Press(-800, -50), Step(-900, -40, true, 0, 110), Release(-900, -40)});
    PlayDrag("moves before the button and after release do nothing",
             {Step(700, 700, false, 100, 100), Press(600, 600), Step(650, 600, true, 150, 100), Release(650, 600),
              Step(900, 900, false, 150, 100)});
    PlayDrag("a new drag starts from the new press, not from the old release",
             {Press(300, 300), Step(310, 310, true, 110, 110), Release(310, 310), Press(800, 50),
              Step(805, 40, true, 115, 100), Release(805, 40)});
    PlayDrag("a lost capture keeps the drag until the next release",
             {Press(300, 300), Step(320, 300, true, 120, 100), Step(330, 300, true, 130, 100), Release(330, 300),
              Step(340, 300, false, 130, 100)});
}

TEST(DragTracker, StepStartsFromTheWindowsCurrentPlace) {
    DragTracker drag;
    drag.BeginDrag(200, 200);
    // The window was moved by something else between press and step: the travel is added to
    // where it stands now.
    const PlacementMove step = drag.DragStep(1000, -50, 230, 180);
    EXPECT_TRUE(step.move);
    EXPECT_EQ(1030, step.left);
    EXPECT_EQ(-70, step.top);
    EXPECT_EQ(230, drag.LastCursorX());
    EXPECT_EQ(180, drag.LastCursorY());
}

TEST(DisplayWindowHeight, SquareForTheRockingCubeAQuarterOtherwise) {
    const struct {
        int objectType, width, height;
    } cases[] = {
        {1, 400, 400}, {1, 129, 129}, {0, 400, 100}, {3, 401, 100}, {6, 1500, 375}, {7, 131, 32}, {-1, 400, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.objectType << ", width " << c.width);
        EXPECT_EQ(DisplayWindowHeight(c.objectType, c.width), c.height);
    }
    EXPECT_EQ(QuarterHeight(131), 32) << "truncated";
}

}  // namespace
