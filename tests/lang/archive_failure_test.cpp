// Copies of Orbelin.exe with a damaged language archive: the program says so in an "Alert"
// message box and ends with exit code 0 before it creates any window of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "e2e/program_driver.h"
#include "lang/archive_container.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 15000;

size_t Find(const std::vector<uint8_t>& bytes, const std::string& pattern) {
    return static_cast<size_t>(std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end()) - bytes.begin());
}

std::wstring DialogText(HWND dialog, int id) {
    wchar_t text[512] = L"";
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

TEST(ArchiveFailure, DamagedArchiveShowsTheAlertAndEndsWithZero) {
    const auto original = ReadFileBytes(BuiltProgramPath());
    ASSERT_TRUE(original.has_value()) << "ORBELIN_EXE is not set or unreadable";
    const std::string startMarker = ArchiveStartMarker();
    const std::string endMarker = ArchiveEndMarker();
    const size_t start = Find(*original, startMarker);
    const size_t end = Find(*original, endMarker);
    ASSERT_LT(start, end);
    ASSERT_LT(end, original->size());

    const struct {
        const char* label;
        std::function<void(std::vector<uint8_t>&)> damage;
    } cases[] = {
        {"end marker before the start marker",
         [&](std::vector<uint8_t>& bytes) {
             // Swap the markers in place; the start marker also covers the payload's last byte.
             std::copy(endMarker.begin(), endMarker.end(), bytes.begin() + static_cast<std::ptrdiff_t>(start));
             std::copy(startMarker.begin(), startMarker.end(), bytes.begin() + static_cast<std::ptrdiff_t>(end - 1));
         }},
        {"start marker missing", [&](std::vector<uint8_t>& bytes) { bytes[start + 10] = 'x'; }},
        {"end marker missing", [&](std::vector<uint8_t>& bytes) { bytes[end + 10] = 'x'; }},
        {"size beyond any archive",
         [&](std::vector<uint8_t>& bytes) {
             std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(start + startMarker.size()), 4, 0xFF);
         }},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        std::vector<uint8_t> damaged = *original;
        testCase.damage(damaged);
        TestFolder folder(L"lang_damaged");
        const std::wstring program = folder / L"Orbelin_portable.exe";
        ASSERT_TRUE(WriteFileBytes(program, damaged));

        RunningProgram running(program);
        ASSERT_TRUE(running.Started());
        HWND alert = running.WaitForWindow(L"#32770", L"Alert", kStartTimeoutMs);
        ASSERT_NE(alert, nullptr) << "no \"Alert\" message box";
        EXPECT_EQ(DialogText(alert, 0xFFFF), L"Error! Loading language file string archive");
        EXPECT_NE(GetDlgItem(alert, IDOK), nullptr);
        for (HWND window : running.TopLevelWindows()) {
            wchar_t className[64] = L"";
            GetClassNameW(window, className, 64);
            EXPECT_STRNE(std::string(className, className + wcslen(className)).c_str(), "Orbelin");
        }
        SendMessageW(GetDlgItem(alert, IDOK), BM_CLICK, 0, 0);
        EXPECT_EQ(running.WaitForExit(kExitTimeoutMs), std::optional<DWORD>(0));
        EXPECT_FALSE(FileExists(folder / L"Orbelin.ini")) << "the program went on after the failed load";
    }
}

TEST(ArchiveFailure, IntactCopyStartsWithoutAnyMessage) {
    TestFolder folder(L"lang_intact");
    RunningProgram running(CopyProgramTo(folder.Path(), L"Orbelin_portable.exe"));
    ASSERT_TRUE(running.Started());
    ASSERT_NE(running.WaitForWindow(L"Orbelin", L"Orbelin", kStartTimeoutMs), nullptr);
    EXPECT_EQ(running.WaitForWindow(L"#32770", L"Alert", 0), nullptr) << "an \"Alert\" message box appeared";
    EXPECT_EQ(running.Close(kExitTimeoutMs), std::optional<DWORD>(0));
}

}  // namespace
