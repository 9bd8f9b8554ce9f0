#include "e2e/program_driver.h"

#include <shlobj.h>

#include <cstdlib>

std::wstring BuiltProgramPath() {
    const char* hostPath = std::getenv("ORBELIN_EXE");
    return hostPath != nullptr ? WindowsPathFromHost(hostPath) : std::wstring();
}

std::wstring CopyProgramTo(const std::wstring& folder, const std::wstring& fileName) {
    const std::wstring target = folder + L"\\" + fileName;
    return CopyFileW(BuiltProgramPath().c_str(), target.c_str(), FALSE) ? target : std::wstring();
}

std::wstring FixtureProgramPath(const std::wstring& fileName) {
    const char* fixtures = std::getenv("ORBELIN_FIXTURES_DIR");
    return fixtures != nullptr ? WindowsPathFromHost(fixtures) + L"\\" + fileName : std::wstring();
}

std::wstring PerUserSettingsPath() {
    wchar_t appData[MAX_PATH] = L"";
    SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE);
    return std::wstring(appData) + L"\\Orbelin\\Orbelin.ini";
}

RunningProgram::RunningProgram(const std::wstring& programPath, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + programPath + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    std::wstring folder = programPath.substr(0, programPath.find_last_of(L'\\'));

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (CreateProcessW(programPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                       &startup, &process)) {
        CloseHandle(process.hThread);
        m_process.Reset(process.hProcess);
        m_processId = process.dwProcessId;
    }
}

RunningProgram::~RunningProgram() {
    if (!IsRunning()) return;
    if (!Close(5000)) {
        TerminateProcess(m_process.Get(), 1);
        WaitForSingleObject(m_process.Get(), 5000);
    }
}

bool RunningProgram::IsRunning() const {
    return m_process.IsValid() && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> RunningProgram::WaitForExit(DWORD timeoutMs) {
    if (!m_process.IsValid() || WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD exitCode = 0xDEADBEEF;
    if (!GetExitCodeProcess(m_process.Get(), &exitCode)) return std::nullopt;
    return exitCode;
}

std::vector<HWND> RunningProgram::TopLevelWindows() const {
    struct Search {
        DWORD processId;
        std::vector<HWND> windows;
    } search{m_processId, {}};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* found = reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == found->processId) found->windows.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

HWND RunningProgram::WaitForWindow(const wchar_t* className, const wchar_t* title, DWORD timeoutMs) const {
    const DWORD start = GetTickCount();
    do {
        for (HWND window : TopLevelWindows()) {
            wchar_t text[256] = L"";
            GetClassNameW(window, text, 256);
            if (lstrcmpW(text, className) != 0) continue;
            if (title != nullptr) {
                GetWindowTextW(window, text, 256);
                if (lstrcmpW(text, title) != 0) continue;
            }
            return window;
        }
        if (!IsRunning()) return nullptr;
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

std::optional<DWORD> RunningProgram::Close(DWORD timeoutMs) {
    for (HWND window : TopLevelWindows()) PostMessageW(window, WM_CLOSE, 0, 0);
    return WaitForExit(timeoutMs);
}

PerUserSettingsGuard::PerUserSettingsGuard()
    : m_folder(PerUserSettingsPath().substr(0, PerUserSettingsPath().find_last_of(L'\\'))),
      m_folderExisted(GetFileAttributesW(m_folder.c_str()) != INVALID_FILE_ATTRIBUTES),
      m_file(PerUserSettingsPath()) {}

PerUserSettingsGuard::~PerUserSettingsGuard() {
    // The file is put back by its restorer, which is destroyed after this body runs; a folder
    // that did not exist before is removed once that has happened.
    if (!m_folderExisted) {
        SetFileAttributesW(PerUserSettingsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(PerUserSettingsPath().c_str());
        RemoveDirectoryW(m_folder.c_str());
    }
}
