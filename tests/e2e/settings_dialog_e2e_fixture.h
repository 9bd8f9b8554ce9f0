#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "e2e/orbelin_ui.h"
#include "e2e/program_driver.h"

// What the end-to-end tests of the settings dialog share; the tests themselves are grouped by
// theme: showing and hiding the dialog, the values of its controls, its buttons and toolbars, and
// the folder source.

inline constexpr DWORD kStartTimeoutMs = 30000;
inline constexpr DWORD kExitTimeoutMs = 15000;
inline constexpr DWORD kChangeTimeoutMs = 5000;

// The current user's Run key, where the start-with-Windows value lives.
inline constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The current user's start-with-Windows value of the program, or nothing.
std::optional<std::wstring> StartWithWindowsValue();

// Keeps the start-with-Windows value as it was before the test; the test starts without one.
class StartWithWindowsGuard {
public:
    StartWithWindowsGuard();
    ~StartWithWindowsGuard();
    StartWithWindowsGuard(const StartWithWindowsGuard&) = delete;
    StartWithWindowsGuard& operator=(const StartWithWindowsGuard&) = delete;

private:
    std::optional<std::wstring> m_saved;
};

// Whether `text` is longer than `end` and ends with it.
bool EndsWith(const std::wstring& text, const std::wstring& end);

// Each test starts a portable copy of the program in a throw-away folder with its own settings
// file, and keeps the per-user settings as they were.
class SettingsDialogE2eTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(BuiltProgramPath().empty()) << "ORBELIN_EXE is not set"; }

    // Starts the copy with the settings lines given and waits for its settings dialog (shown or
    // not) and its display; the dialog and display handles are left null when they do not come.
    std::unique_ptr<RunningProgram> Start(const std::wstring& settingsLines, const std::wstring& arguments = L"");

    std::wstring SettingsFile() const { return m_folder / L"Orbelin.ini"; }
    std::wstring Value(const wchar_t* key) const { return ReadIniValue(SettingsFile(), L"Program", key); }
    void RemoveValue(const wchar_t* key) const {
        WritePrivateProfileStringW(L"Program", key, nullptr, SettingsFile().c_str());
    }

    PerUserSettingsGuard m_perUserSettings;
    TestFolder m_folder{L"dialog_e2e"};
    HWND m_dialog = nullptr;
    HWND m_display = nullptr;
};
