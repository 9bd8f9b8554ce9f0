// Hiding a window into the notification area, on real top-level windows and the real shell.
#include "app/tray_icon.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <iostream>

#include "common/message_box.h"

namespace {

constexpr const wchar_t* kClassName = L"OrbelinTrayTestWindow";

HWND CreateTestWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);  // a second registration fails harmlessly
    return CreateWindowExW(0, kClassName, L"Tray test", WS_OVERLAPPEDWINDOW, 200, 150, 320, 240, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

class TestWindow {
public:
    TestWindow() : m_window(CreateTestWindow()) {}
    ~TestWindow() {
        if (m_window != nullptr) DestroyWindow(m_window);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND Get() const { return m_window; }

private:
    HWND m_window;
};

bool MinimizeAnimation() {
    ANIMATIONINFO animation{sizeof(animation), 0xdead};
    if (!SystemParametersInfoW(SPI_GETANIMATION, sizeof(animation), &animation, 0)) return false;
    return animation.iMinAnimate != 0;
}

// Sets the system's minimise animation for this session only (not stored) and puts it back.
class AnimationSetting {
public:
    AnimationSetting() : m_saved(MinimizeAnimation()) {}
    ~AnimationSetting() { Set(m_saved); }
    AnimationSetting(const AnimationSetting&) = delete;
    AnimationSetting& operator=(const AnimationSetting&) = delete;

    static bool Set(bool on) {
        ANIMATIONINFO animation{sizeof(animation), on ? 1 : 0};
        return SystemParametersInfoW(SPI_SETANIMATION, sizeof(animation), &animation, 0) != FALSE;
    }

private:
    bool m_saved;
};

TEST(MinimizeToTray, HidesTheWindowWithAndWithoutAnimation) {
    AnimationSetting setting;
    const struct {
        const char* label;
        bool systemAnimation;
        bool animate;
    } cases[] = {
        {"animated, system animation on", true, true},
        {"not animated, system animation on", true, false},
        {"animated, system animation off", false, true},
        {"not animated, system animation off", false, false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        ASSERT_TRUE(AnimationSetting::Set(testCase.systemAnimation));
        if (RunsUnderWine()) {
            // Wine 8 accepts SPI_SETANIMATION but always reports the minimise animation as off,
            // so under Wine the animated path (DrawAnimatedRects) is never taken; Windows keeps
            // the setting.
            EXPECT_FALSE(MinimizeAnimation());
        } else {
            EXPECT_EQ(MinimizeAnimation(), testCase.systemAnimation);
        }
        TestWindow window;
        ASSERT_NE(window.Get(), nullptr);
        ShowWindow(window.Get(), SW_SHOW);
        UpdateWindow(window.Get());
        ASSERT_TRUE(IsWindowVisible(window.Get()));

        CToTray::MinimizeToTray(window.Get(), testCase.animate);
        EXPECT_FALSE(IsWindowVisible(window.Get()));
        EXPECT_TRUE(IsWindow(window.Get()));  // hidden, not destroyed
    }
}

TEST(MinimizeToTray, AHiddenWindowStaysHidden) {
    TestWindow window;
    ASSERT_NE(window.Get(), nullptr);
    ASSERT_FALSE(IsWindowVisible(window.Get()));
    CToTray::MinimizeToTray(window.Get(), true);
    EXPECT_FALSE(IsWindowVisible(window.Get()));
}

TEST(TrayTargetRectangle, TheShellsTaskbarOnScreen) {
    // The program has its main window before anything goes into the tray. Under Wine the
    // desktop process with the taskbar window starts with the first window of the session, so
    // give it a moment to appear.
    TestWindow window;
    ASSERT_NE(window.Get(), nullptr);
    for (int i = 0; i < 50 && FindWindowW(L"Shell_TrayWnd", nullptr) == nullptr; ++i) Sleep(100);

    const TrayTargetInputs inputs = GatherTrayTargetInputs();
    std::cout << "notification area window: " << (inputs.notifyArea ? "yes" : "no")
              << ", taskbar position: " << (inputs.taskbar ? "yes" : "no")
              << ", taskbar window: " << (inputs.taskbarWindow ? "yes" : "no") << "\n";
    ASSERT_TRUE(inputs.taskbarWindow.has_value()) << "no Shell_TrayWnd";
    // Where the taskbar window exists the shell also tells its position.
    EXPECT_TRUE(inputs.taskbar.has_value());
    if (RunsUnderWine()) {
        // Wine's taskbar has no "TrayNotifyWnd" child: the taskbar position decides.
        EXPECT_FALSE(inputs.notifyArea.has_value());
    }

    const RECT target = TrayTargetRectangle();
    const TrayRect expected = TrayTargetRect(inputs);
    EXPECT_EQ(target.left, expected.left);
    EXPECT_EQ(target.top, expected.top);
    EXPECT_EQ(target.right, expected.right);
    EXPECT_EQ(target.bottom, expected.bottom);
    EXPECT_LT(target.left, target.right);
    EXPECT_LT(target.top, target.bottom);
    const int screenLeft = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int screenTop = GetSystemMetrics(SM_YVIRTUALSCREEN);
    EXPECT_GE(target.left, screenLeft);
    EXPECT_GE(target.top, screenTop);
    EXPECT_LE(target.right, screenLeft + GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_LE(target.bottom, screenTop + GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

}  // namespace

namespace {

// Asks the shell about an icon the way the program's own probe does.
bool ShellHasIcon(HWND owner, UINT id) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = owner;
    data.uID = id;
    data.uFlags = NIF_MESSAGE;
    data.uCallbackMessage = kTrayCallbackMessage;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

// A watchdog pass that runs while the icon is being removed must not put it back for good: a
// watchdog looking every millisecond is always in the middle of a pass.
TEST(CToTray, NoIconOutlivesItsRemoval) {
    TestWindow owner;
    ASSERT_NE(owner.Get(), nullptr);
    constexpr UINT kIconId = 4242;
    int ghosts = 0;
    for (int round = 0; round < 15; ++round) {
        CToTray tray;
        tray.SetOwner(owner.Get());
        tray.SetWatchdogPeriod(1);
        tray.StartTrayIcon(kIconId, nullptr, L"Orbelin test", true);
        ASSERT_TRUE(tray.IsIconPresent());
        Sleep(10);
        tray.RemoveTrayIcon();
        Sleep(20);
        if (ShellHasIcon(owner.Get(), kIconId)) {
            ++ghosts;
            NOTIFYICONDATAW data{};
            data.cbSize = sizeof(data);
            data.hWnd = owner.Get();
            data.uID = kIconId;
            Shell_NotifyIconW(NIM_DELETE, &data);
        }
    }
    EXPECT_EQ(ghosts, 0) << "icons came back after their removal";
}

// Starting the icon again while the watchdog runs changes the record the watchdog reads: the
// watchdog stops first and goes on with the new record.
TEST(CToTray, RestartingTheIconKeepsOneWatchdogOnTheNewRecord) {
    TestWindow owner;
    ASSERT_NE(owner.Get(), nullptr);
    CToTray tray;
    tray.SetOwner(owner.Get());
    tray.SetWatchdogPeriod(1);
    for (int round = 0; round < 20; ++round) {
        tray.StartTrayIcon(4300 + round % 2, nullptr, round % 2 ? L"odd" : std::wstring(300, L'e'), round % 3 == 0);
    }
    // The last record (id 4301) is watched: deleted behind the program's back, it comes back.
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = owner.Get();
    data.uID = 4301;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
    bool back = false;
    for (int wait = 0; wait < 100 && !back; ++wait) {
        Sleep(10);
        back = ShellHasIcon(owner.Get(), 4301);
    }
    EXPECT_TRUE(back);
    tray.RemoveTrayIcon();
    data.uID = 4300;
    Shell_NotifyIconW(NIM_DELETE, &data);
    Sleep(20);
    EXPECT_FALSE(ShellHasIcon(owner.Get(), 4301));
}

}  // namespace
