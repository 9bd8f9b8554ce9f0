#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/test_files.h"
#include "common/unique_handle.h"

// Helpers for tests that start the real program and drive it as Windows would.

// The built Orbelin.exe (CTest hands its path over in ORBELIN_EXE).
std::wstring BuiltProgramPath();

// Copies the built program into `folder` under `fileName`; returns the copy's path or empty.
std::wstring CopyProgramTo(const std::wstring& folder, const std::wstring& fileName);

// A fixture program of the test build (tests/fixtures), by file name.
std::wstring FixtureProgramPath(const std::wstring& fileName);

// The per-user settings file of the program in this prefix.
std::wstring PerUserSettingsPath();

// One started copy of the program. Whatever happens in the test, the program is ended when the
// object goes: first politely (WM_CLOSE to its windows), then by force.
class RunningProgram {
public:
    RunningProgram(const std::wstring& programPath, const std::wstring& arguments = L"");
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool Started() const { return m_process.IsValid(); }
    DWORD ProcessId() const { return m_processId; }
    bool IsRunning() const;

    // The process exit code, or nothing if it is still running after `timeoutMs`.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs);

    // A top-level window of this process with the class (and title, unless null); null when
    // none appears within `timeoutMs`.
    HWND WaitForWindow(const wchar_t* className, const wchar_t* title, DWORD timeoutMs) const;
    std::vector<HWND> TopLevelWindows() const;

    // Asks the program to end by closing its windows; returns the exit code if it ended in time.
    std::optional<DWORD> Close(DWORD timeoutMs);

private:
    UniqueHandle m_process;
    DWORD m_processId = 0;
};

// Keeps the per-user settings folder and file as they were before the test.
class PerUserSettingsGuard {
public:
    PerUserSettingsGuard();
    ~PerUserSettingsGuard();
    PerUserSettingsGuard(const PerUserSettingsGuard&) = delete;
    PerUserSettingsGuard& operator=(const PerUserSettingsGuard&) = delete;

private:
    std::wstring m_folder;
    bool m_folderExisted = false;
    FileRestorer m_file;
};
