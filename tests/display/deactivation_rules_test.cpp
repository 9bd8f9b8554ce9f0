#include "display/deactivation_rules.h"

#include <gtest/gtest.h>

#include <bitset>
#include <string>
#include <vector>

namespace {

constexpr int kCheckMs = 100;
constexpr int64_t kStartMs = 1765350000000;  // a whole second, some day in 2025

// Plays the settings dialog's timer against the rules: the keys held down, the cursor and the
// clock are set by the test, each `Check` runs one check with them, and the display's visibility
// follows what the check asks for, as ApplyVisibility would do it.
class Watcher {
public:
    Watcher(int mode, int seconds) : m_mode(mode), m_seconds(seconds) {}

    DeactivationResult Check() {
        const KeyDownQuery isKeyDown = [this](int key) {
            askedKeys.push_back(key);
            return key >= 0 && key < 256 && m_keysDown[key];
        };
        const DeactivationResult result =
            rules.DeactivationCheck(m_mode, m_seconds, {m_x, m_y, nowMs, m_cursorKnown}, isKeyDown);
        EXPECT_EQ(rules.DeactivatedState(), result.deactivatedState);
        if (result.applyVisibility) shown = result.deactivatedState != 1;
        if (result.countdownChanged) countdownTexts.push_back(result.countdownText);
        return result;
    }
    // One check, then the timer's 100 ms.
    DeactivationResult Tick() {
        const DeactivationResult result = Check();
        nowMs += kCheckMs;
        return result;
    }
    void Ticks(int count) {
        for (int i = 0; i < count; ++i) Tick();
    }
    // Ticks until the display shows again; returns the time of the check that showed it, or -1
    // when it stays hidden for `limitMs`.
    int64_t TickUntilShown(int64_t limitMs) {
        const int64_t end = nowMs + limitMs;
        while (nowMs < end) {
            Check();
            if (shown) return nowMs;
            nowMs += kCheckMs;
        }
        return -1;
    }

    void Press(int key) { m_keysDown.set(key); }
    void Release(int key) { m_keysDown.reset(key); }
    void MoveTo(int x, int y) {
        m_x = x;
        m_y = y;
        m_cursorKnown = true;
    }
    // GetCursorPos fails (a locked workstation) and leaves its answer at 0, 0.
    void LoseCursor() {
        m_x = 0;
        m_y = 0;
        m_cursorKnown = false;
    }
    void SetMode(int mode) { m_mode = mode; }

    DeactivationRules rules;
    int64_t nowMs = kStartMs;
    bool shown = true;
    std::vector<int> askedKeys;
    std::vector<std::wstring> countdownTexts;

private:
    int m_mode;
    int m_seconds;
    std::bitset<256> m_keysDown;
    int m_x = 500;
    int m_y = 500;
    bool m_cursorKnown = true;
};

const char* ModeName(int mode) {
    static const char* const names[] = {"0 none", "1 mouse", "2 keys", "3 keys or mouse"};
    return mode >= 0 && mode <= 3 ? names[mode] : "unknown";
}

TEST(DeactivationRules, StartsUndecidedAndShowsAtTheFirstQuietCheck) {
    for (int mode = 0; mode <= 3; ++mode) {
        SCOPED_TRACE(ModeName(mode));
        Watcher watcher(mode, 5);
        EXPECT_EQ(-1, watcher.rules.DeactivatedState());
        EXPECT_FALSE(watcher.rules.HidesDisplays());
        EXPECT_EQ(0, watcher.rules.DeadlineSeconds());
        watcher.shown = false;
        const DeactivationResult result = watcher.Tick();
        EXPECT_TRUE(result.applyVisibility);
        EXPECT_FALSE(result.countdownChanged);
        EXPECT_EQ(0, watcher.rules.DeactivatedState());
        EXPECT_EQ(0, result.deactivatedState);
        EXPECT_TRUE(watcher.shown);
    }
}

TEST(DeactivationRules, EveryQuietCheckAppliesVisibilityAgainInEveryMode) {
    for (int mode = 0; mode <= 3; ++mode) {
        SCOPED_TRACE(ModeName(mode));
        Watcher watcher(mode, 5);
        for (int i = 0; i < 30; ++i) {
            SCOPED_TRACE(testing::Message() << "check " << i);
            const DeactivationResult result = watcher.Tick();
            EXPECT_TRUE(result.applyVisibility);
            EXPECT_FALSE(result.countdownChanged);
            EXPECT_EQ(0, watcher.rules.DeactivatedState());
        }
    }
}

// What counts as activity in each mode. Every row starts with one quiet check with the cursor at
// (500, 500), which takes the first detected cursor move, and then checks once with the activity.
TEST(DeactivationRules, ActivityByMode) {
    enum Activity { kNone, kKey, kCellMove, kMoveInsideCell, kKeyAndCellMove };
    struct Case {
        int mode;
        Activity activity;
        bool hides;
    } cases[] = {
        {0, kNone, false},
        {0, kKey, false},
        {0, kCellMove, false},
        {0, kKeyAndCellMove, false},
        {1, kNone, false},
        {1, kKey, false},
        {1, kCellMove, true},
        {1, kMoveInsideCell, false},
        {2, kNone, false},
        {2, kKey, true},
        {2, kCellMove, false},
        {2, kMoveInsideCell, false},
        {3, kNone, false},
        {3, kKey, true},
        {3, kCellMove, true},
        {3, kMoveInsideCell, false},
        {3, kKeyAndCellMove, true},
        {4, kKeyAndCellMove, false},
        {-1, kKeyAndCellMove, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", activity " << c.activity);
        Watcher watcher(c.mode, 5);
        watcher.Tick();
        ASSERT_TRUE(watcher.shown);
        if (c.activity == kKey || c.activity == kKeyAndCellMove) watcher.Press('A');
        if (c.activity == kCellMove || c.activity == kKeyAndCellMove) watcher.MoveTo(540, 470);
        if (c.activity == kMoveInsideCell) watcher.MoveTo(511, 509);
        const DeactivationResult result = watcher.Tick();
        EXPECT_EQ(c.hides, !watcher.shown);
        EXPECT_EQ(c.hides, watcher.rules.HidesDisplays());
        EXPECT_EQ(c.hides ? 1 : 0, result.deactivatedState);
        EXPECT_TRUE(result.applyVisibility);  // hiding now, or showing again as on every quiet check
        EXPECT_EQ(c.hides ? (kStartMs + kCheckMs) / 1000 + 5 : 0, watcher.rules.DeadlineSeconds());
    }
}

TEST(DeactivationRules, ModeNoneNeverHides) {
    Watcher watcher(0, 5);
    for (int i = 0; i < 100; ++i) {
        SCOPED_TRACE(testing::Message() << "check " << i);
        if (i % 2 == 0) {
            watcher.Press(5 + i);
        } else {
            watcher.Release(5 + i - 1);
        }
        watcher.MoveTo(37 * i, 1000 - 41 * i);
        watcher.Tick();
        EXPECT_TRUE(watcher.shown);
        EXPECT_EQ(0, watcher.rules.DeactivatedState());
    }
    EXPECT_TRUE(watcher.askedKeys.empty());
    EXPECT_TRUE(watcher.countdownTexts.empty());
}

TEST(DeactivationRules, OnlyKeysFiveTo255Count) {
    struct Case {
        int key;
        bool counts;
    } cases[] = {
        {1, false},   {2, false},   {3, false},  {4, false},   {5, true},    {6, true},
        {0x08, true}, {0x10, true}, {'A', true}, {0x5B, true}, {0xA5, true}, {255, true},
    };
    for (int mode : {2, 3}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << ModeName(mode) << ", key " << c.key);
            Watcher watcher(mode, 5);
            watcher.Tick();
            watcher.Press(c.key);
            watcher.Tick();
            EXPECT_EQ(c.counts, !watcher.shown);
        }
    }
}

TEST(DeactivationRules, KeysAreAskedInRisingOrderFromFiveAndNoFurtherThanTheFirstDown) {
    Watcher watcher(2, 5);
    watcher.Tick();
    ASSERT_EQ(251u, watcher.askedKeys.size());
    for (size_t i = 0; i < watcher.askedKeys.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "question " << i);
        EXPECT_EQ(static_cast<int>(5 + i), watcher.askedKeys[i]);
    }

    watcher.askedKeys.clear();
    watcher.Press(0x41);
    watcher.Press(0x90);
    watcher.Tick();
    ASSERT_FALSE(watcher.askedKeys.empty());
    EXPECT_EQ(5, watcher.askedKeys.front());
    EXPECT_EQ(0x41, watcher.askedKeys.back());

    for (int mode : {0, 1}) {
        SCOPED_TRACE(ModeName(mode));
        Watcher quiet(mode, 5);
        quiet.Press(0x41);
        quiet.Ticks(3);
        EXPECT_TRUE(quiet.askedKeys.empty());
    }
}

TEST(DeactivationRules, KeyModesWorkWithoutAKeyQuestion) {
    DeactivationRules rules;
    for (int mode = 0; mode <= 3; ++mode) {
        SCOPED_TRACE(ModeName(mode));
        const DeactivationResult result = rules.DeactivationCheck(mode, 5, {500, 500, kStartMs}, KeyDownQuery());
        EXPECT_TRUE(result.applyVisibility);
        EXPECT_FALSE(rules.HidesDisplays());
    }
}

TEST(DeactivationRules, CursorCells) {
    struct Case {
        int x, y, lastX, lastY;
        bool changed;
    } cases[] = {
        {0, 0, 0, 0, false},
        {31, 31, 0, 0, false},
        {32, 0, 0, 0, true},
        {0, 32, 0, 0, true},
        {32, 0, 31, 0, true},
        {0, 32, 0, 31, true},
        {64, 64, 95, 95, false},
        {96, 64, 95, 64, true},
        {-1, 0, 0, 0, true},
        {-1, -1, -32, -32, false},
        {-33, 0, -32, 0, true},
        {-100, -100, -100, -100, false},
        {-97, -128, -100, -100, false},
        {-96, -100, -100, -100, true},
        {-1300, 40, -1290, 50, false},
        {1000, 1000, 1000, 990, true},
        {2047, 5, 2016, 30, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.lastX << ", " << c.lastY << ") to (" << c.x << ", " << c.y << ")");
        EXPECT_EQ(c.changed, CursorCellChanged(c.x, c.y, c.lastX, c.lastY));
        EXPECT_EQ(c.changed, CursorCellChanged(c.lastX, c.lastY, c.x, c.y));

        // The same through the rules: once a counted move has recorded the last position and the
        // display is back, the move to the new one hides it exactly when it changes the cell.
        Watcher watcher(1, 1);
        watcher.MoveTo(c.lastX + 5000, c.lastY + 5000);
        watcher.Tick();
        watcher.MoveTo(c.lastX, c.lastY);
        watcher.Tick();
        ASSERT_FALSE(watcher.shown);
        ASSERT_NE(-1, watcher.TickUntilShown(5000));
        watcher.MoveTo(c.x, c.y);
        watcher.Tick();
        EXPECT_EQ(c.changed, !watcher.shown);
    }
}

// The first detected move after start only records the position: wherever the cursor first
// shows up, and also when it first stands in the start cell around (-100, -100).
TEST(DeactivationRules, FirstMoveOnlyRecordsThePosition) {
    struct Case {
        int firstX, firstY;
        int secondX, secondY;  // the second position seen
        bool secondHides;
    } cases[] = {
        {500, 500, 500, 500, false},    {500, 500, 510, 505, false},
        {500, 500, 600, 500, true},     {0, 0, 0, 40, true},
        {-3000, 2000, 0, 0, true},      {-100, -100, 500, 500, false},
        {-128, -97, -100, -100, false}, {-128, -97, 500, 500, false},
    };
    for (int mode : {1, 3}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << ModeName(mode) << ": (" << c.firstX << ", " << c.firstY << ") then ("
                                            << c.secondX << ", " << c.secondY << ")");
            Watcher watcher(mode, 5);
            watcher.MoveTo(c.firstX, c.firstY);
            watcher.Tick();
            EXPECT_TRUE(watcher.shown);
            watcher.Tick();
            EXPECT_TRUE(watcher.shown);
            watcher.MoveTo(c.secondX, c.secondY);
            watcher.Tick();
            EXPECT_EQ(c.secondHides, !watcher.shown);
        }
    }
}

TEST(DeactivationRules, ACursorThatCannotBeReadIsNoMovement) {
    for (int mode : {1, 3}) {
        SCOPED_TRACE(ModeName(mode));
        Watcher watcher(mode, 5);
        watcher.Ticks(2);  // the first position is recorded
        watcher.LoseCursor();
        watcher.Ticks(3);
        EXPECT_TRUE(watcher.shown) << "an unreadable cursor was taken for a move to 0, 0";
        watcher.MoveTo(500, 500);
        watcher.Tick();
        EXPECT_TRUE(watcher.shown) << "the cursor did not move while it could not be read";
        watcher.MoveTo(900, 500);
        watcher.Tick();
        EXPECT_FALSE(watcher.shown) << "a real move still counts";
    }
}

TEST(DeactivationRules, FirstMoveIsTakenOnlyOnce) {
    Watcher watcher(1, 5);
    watcher.Tick();
    watcher.MoveTo(700, 700);
    watcher.Tick();
    EXPECT_FALSE(watcher.shown);
}

TEST(DeactivationRules, KeysWithoutCursorModeLeaveTheFirstMovePending) {
    // In mode 2 the cursor is not watched, so the first move is still to come when the mode
    // changes to 1.
    Watcher watcher(2, 5);
    watcher.Tick();
    watcher.MoveTo(900, 900);
    watcher.Tick();
    EXPECT_TRUE(watcher.shown);
    watcher.SetMode(1);
    watcher.MoveTo(100, 100);
    watcher.Tick();
    EXPECT_TRUE(watcher.shown);
    watcher.MoveTo(200, 100);
    watcher.Tick();
    EXPECT_FALSE(watcher.shown);
}

TEST(DeactivationRules, CountdownText) {
    struct Case {
        int64_t remaining;
        const wchar_t* text;
    } cases[] = {
        {0, L"000"},   {1, L"001"},     {5, L"005"},  {59, L"059"},  {100, L"100"},
        {999, L"999"}, {1234, L"1234"}, {-1, L"000"}, {-75, L"000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "remaining " << c.remaining);
        EXPECT_EQ(std::wstring(c.text), FormatCountdown(c.remaining));
    }
}

TEST(DeactivationRules, CountsDownTheWholeSecondsWhileHidden) {
    Watcher watcher(2, 5);
    watcher.Tick();
    watcher.Press(0x20);
    const DeactivationResult pressed = watcher.Tick();
    EXPECT_TRUE(pressed.applyVisibility);
    EXPECT_FALSE(pressed.countdownChanged);
    EXPECT_FALSE(watcher.shown);
    watcher.Release(0x20);

    // The key went down in the first tenth of a second; the deadline is five whole seconds on.
    EXPECT_EQ(kStartMs / 1000 + 5, watcher.rules.DeadlineSeconds());
    const int64_t shownAt = watcher.TickUntilShown(10000);
    const std::vector<std::wstring> expected = {L"005", L"004", L"003", L"002", L"001", L"000"};
    EXPECT_EQ(expected, watcher.countdownTexts);
    EXPECT_EQ(kStartMs + 5000 + kCheckMs, shownAt);

    // Only changed texts are handed out: none while shown, and the same seconds again after the
    // next key press show again because the label last showed "000".
    watcher.Ticks(20);
    EXPECT_EQ(expected.size(), watcher.countdownTexts.size());
    watcher.Press(0x20);
    watcher.Tick();
    watcher.Release(0x20);
    watcher.Tick();
    ASSERT_EQ(expected.size() + 1, watcher.countdownTexts.size());
    EXPECT_EQ(L"005", watcher.countdownTexts.back());
}

TEST(DeactivationRules, HiddenChecksNeitherApplyVisibilityNorRepeatTheText) {
    Watcher watcher(2, 5);
    watcher.Tick();
    watcher.Press(0x20);
    watcher.Tick();
    watcher.Release(0x20);
    // Checks in the same second as the key press: the text appears once.
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(testing::Message() << "check " << i);
        const DeactivationResult result = watcher.Tick();
        EXPECT_FALSE(result.applyVisibility);
        EXPECT_EQ(i == 0, result.countdownChanged);
    }
}

// The display comes back about `m_deactivate_sec` seconds after the last activity: at the first
// check after the check that finds the deadline's whole second reached.
TEST(DeactivationRules, ComesBackAboutTheDelayAfterTheLastActivity) {
    struct Case {
        int seconds;
        int offsetMs;  // where in a second the checks fall
    } cases[] = {
        {5, 0}, {5, 1}, {5, 450}, {5, 901}, {5, 999}, {10, 300}, {59, 0}, {59, 777},
    };
    for (int mode : {2, 3}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << ModeName(mode) << ", " << c.seconds << " s, checks at +" << c.offsetMs << " ms");
            Watcher watcher(mode, c.seconds);
            watcher.nowMs = kStartMs + c.offsetMs;
            watcher.Ticks(3);
            watcher.Press(0x41);
            const int64_t pressedAt = watcher.nowMs;
            watcher.Tick();
            watcher.Release(0x41);
            ASSERT_FALSE(watcher.shown);

            const int64_t shownAt = watcher.TickUntilShown(int64_t{c.seconds + 3} * 1000);
            ASSERT_NE(-1, shownAt);
            const int64_t deadlineMs = (pressedAt / 1000 + c.seconds) * 1000;
            int64_t firstCheckAtDeadline = pressedAt;
            while (firstCheckAtDeadline < deadlineMs) firstCheckAtDeadline += kCheckMs;
            EXPECT_EQ(firstCheckAtDeadline + kCheckMs, shownAt);
            EXPECT_GT(shownAt - pressedAt, int64_t{c.seconds - 1} * 1000);
            EXPECT_LE(shownAt - pressedAt, int64_t{c.seconds} * 1000 + 2 * kCheckMs);
        }
    }
}

TEST(DeactivationRules, FurtherActivityPushesTheReturnBack) {
    struct Case {
        int mode;
        bool byKey;
    } cases[] = {{1, false}, {2, true}, {3, true}, {3, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << ModeName(c.mode) << (c.byKey ? ", keys" : ", mouse"));
        Watcher watcher(c.mode, 5);
        watcher.Tick();
        int x = 500;
        // Activity at 0 s, 2 s and 4.5 s after the start; each pushes the deadline on.
        for (int64_t at : {0, 2000, 4500}) {
            while (watcher.nowMs < kStartMs + 1000 + at) watcher.Tick();
            if (c.byKey) watcher.Press(0x41);
            x += 64;
            if (!c.byKey) watcher.MoveTo(x, 500);
            const DeactivationResult result = watcher.Tick();
            watcher.Release(0x41);
            EXPECT_EQ(at == 0, result.applyVisibility);
            EXPECT_FALSE(watcher.shown);
            EXPECT_EQ((kStartMs + 1000 + at) / 1000 + 5, watcher.rules.DeadlineSeconds());
        }
        const int64_t shownAt = watcher.TickUntilShown(20000);
        EXPECT_EQ(kStartMs + 10000 + kCheckMs, shownAt);
    }
}

TEST(DeactivationRules, KeyDownEndsTheCheckBeforeTheCursorIsRecorded) {
    // Mode 3: a key and a cell move in the same check count once; the move is not recorded, so the
    // cursor standing there at the next check is a move again and pushes the deadline on.
    Watcher watcher(3, 5);
    watcher.Tick();
    watcher.Press(0x41);
    watcher.MoveTo(900, 900);
    watcher.Tick();
    watcher.Release(0x41);
    EXPECT_FALSE(watcher.shown);
    EXPECT_EQ(kStartMs / 1000 + 5, watcher.rules.DeadlineSeconds());
    watcher.nowMs = kStartMs + 2000;
    watcher.Tick();
    EXPECT_EQ(kStartMs / 1000 + 7, watcher.rules.DeadlineSeconds());
    watcher.nowMs = kStartMs + 3000;
    watcher.Tick();
    EXPECT_EQ(kStartMs / 1000 + 7, watcher.rules.DeadlineSeconds());
}

TEST(DeactivationRules, StalledTimerShowsZeroAndComesBackAtTheNextCheck) {
    Watcher watcher(2, 5);
    watcher.Tick();
    watcher.Press(0x41);
    watcher.Tick();
    watcher.Release(0x41);
    watcher.nowMs = kStartMs + 8000;
    const DeactivationResult stalled = watcher.Tick();
    EXPECT_TRUE(stalled.countdownChanged);
    EXPECT_EQ(L"000", stalled.countdownText);
    EXPECT_FALSE(stalled.applyVisibility);
    EXPECT_FALSE(watcher.shown);
    EXPECT_EQ(0, watcher.rules.DeadlineSeconds());
    const DeactivationResult next = watcher.Tick();
    EXPECT_TRUE(next.applyVisibility);
    EXPECT_TRUE(watcher.shown);
}

TEST(DeactivationRules, ResetShowsAtTheNextCheck) {
    for (int newMode = 0; newMode <= 3; ++newMode) {
        SCOPED_TRACE(testing::Message() << "new " << ModeName(newMode));
        Watcher watcher(2, 30);
        watcher.Tick();
        watcher.Press(0x41);
        watcher.Tick();
        watcher.Release(0x41);
        watcher.Ticks(5);
        ASSERT_FALSE(watcher.shown);
        watcher.rules.Reset();
        EXPECT_EQ(0, watcher.rules.DeactivatedState());
        EXPECT_EQ(0, watcher.rules.DeadlineSeconds());
        watcher.SetMode(newMode);
        const DeactivationResult result = watcher.Tick();
        EXPECT_TRUE(result.applyVisibility);
        EXPECT_TRUE(watcher.shown);
    }
}

}  // namespace
