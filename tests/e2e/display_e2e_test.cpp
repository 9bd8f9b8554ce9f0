#include <gtest/gtest.h>

#include "e2e/program_driver.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;

class DisplayE2eTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(BuiltProgramPath().empty()) << "ORBELIN_EXE is not set"; }
    PerUserSettingsGuard m_perUserSettings;
    TestFolder m_folder{L"display_e2e"};
};

TEST_F(DisplayE2eTest, EmptySettingsShowOneLayeredDisplayAtTheDefaultPlace) {
    const std::wstring program = CopyProgramTo(m_folder.Path(), L"Orbelin_portable.exe");
    RunningProgram orbelin(program);
    ASSERT_TRUE(orbelin.Started());
    HWND display = orbelin.WaitForWindow(L"Brimwhistle-Clock___QRWERREQWR", nullptr, kStartTimeoutMs);
    ASSERT_NE(display, nullptr) << "no display window";

    // The first composed frame gives the window its square size.
    RECT rect{};
    for (int wait = 0; wait < 100; ++wait) {
        GetWindowRect(display, &rect);
        if (rect.bottom - rect.top == 400) break;
        Sleep(50);
    }
    EXPECT_EQ(rect.right - rect.left, 400);
    EXPECT_EQ(rect.bottom - rect.top, 400);
    const int centredLeft =
        (GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN)) / 2 - 200;
    EXPECT_EQ(rect.left, centredLeft);
    EXPECT_EQ(rect.top, 100);
    EXPECT_TRUE(IsWindowVisible(display));
    EXPECT_EQ(GetWindowLongW(display, GWL_EXSTYLE) & ~WS_EX_TOPMOST, 0x80080);
    EXPECT_EQ(ReadIniValue(m_folder / L"Orbelin.ini", L"Program", L"start_tray"), L"1");

    // A second start says hello and ends without counting as a start.
    RunningProgram second(program);
    EXPECT_EQ(second.WaitForExit(kStartTimeoutMs), std::optional<DWORD>(45054));
    EXPECT_EQ(ReadIniValue(m_folder / L"Orbelin.ini", L"Program", L"start_tray"), L"1");
    EXPECT_TRUE(IsWindow(display));

    // Closing the main window ends the program, its worker included.
    EXPECT_EQ(orbelin.Close(15000), std::optional<DWORD>(0));
}

TEST_F(DisplayE2eTest, StoredPlacementAndStartCountAreUsed) {
    ASSERT_TRUE(WriteFileBytes(m_folder / L"Orbelin.ini",
                               Utf16FileBytes(L"[Program]\r\ncx=256\r\npoint_x=30\r\npoint_y=40\r\nstart_tray=4\r\n")));
    RunningProgram orbelin(CopyProgramTo(m_folder.Path(), L"Orbelin_portable.exe"));
    HWND display = orbelin.WaitForWindow(L"Brimwhistle-Clock___QRWERREQWR", nullptr, kStartTimeoutMs);
    ASSERT_NE(display, nullptr);
    RECT rect{};
    for (int wait = 0; wait < 100; ++wait) {
        GetWindowRect(display, &rect);
        if (rect.bottom - rect.top == 256) break;
        Sleep(50);
    }
    EXPECT_EQ(rect.left, 30);
    EXPECT_EQ(rect.top, 40);
    EXPECT_EQ(rect.right - rect.left, 256);
    EXPECT_EQ(ReadIniValue(m_folder / L"Orbelin.ini", L"Program", L"start_tray"), L"5");
    EXPECT_EQ(orbelin.Close(15000), std::optional<DWORD>(0));
}

}  // namespace
