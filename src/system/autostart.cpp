#include "system/autostart.h"

#include <windows.h>

#include <vector>

#include "common/file_attributes.h"
#include "common/module_path.h"
#include "common/registry_key.h"
#include "common/unique_handle.h"
#include "res/resource.h"

namespace {

constexpr const wchar_t* kRunKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

HKEY RootFor(bool allUsers) { return allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

std::wstring CurrentCommandLine() { return AutostartCommandLine(ProgramFilePath()); }

// Volume and file index of an existing file; false when it cannot be opened.
bool FileIdentity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& identity) {
    const UniqueHandle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.IsValid() && GetFileInformationByHandle(file.Get(), &identity) != FALSE;
}

// Whether a stored Run value that differs from this program's command line is this program's to
// repair: it names no program file that exists (the program was moved), or it names this very
// file in other words.
bool RunValueIsOursToRepair(const std::wstring& stored) {
    const std::wstring named = ProgramPathOfRunCommand(stored);
    if (named.empty()) return true;
    if (!IsExistingFile(named)) return true;
    BY_HANDLE_FILE_INFORMATION namedFile{}, thisFile{};
    if (!FileIdentity(named, namedFile) || !FileIdentity(ProgramFilePath(), thisFile)) return false;
    return namedFile.dwVolumeSerialNumber == thisFile.dwVolumeSerialNumber &&
           namedFile.nFileIndexHigh == thisFile.nFileIndexHigh && namedFile.nFileIndexLow == thisFile.nFileIndexLow;
}

bool SetRunValue(HKEY key, const std::wstring& valueName, const std::wstring& commandLine) {
    // The stored size is the text without its terminating NUL.
    return RegSetValueExW(key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(commandLine.c_str()),
                          static_cast<DWORD>(commandLine.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

int QueryAutostart(const std::wstring& valueName, bool allUsers) {
    const std::wstring expected = CurrentCommandLine();
    RegistryKey key;
    if (RegOpenKeyW(RootFor(allUsers), kRunKey, key.Receive()) != ERROR_SUCCESS) return 0;

    // Room for the longest program path with its quotes and switch, so that a long path is not
    // mistaken for a missing value.
    std::vector<wchar_t> buffer(2048, L'\0');
    DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    DWORD type = 0;
    const LONG result =
        RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) return 0;

    // The stored text need not end with a NUL.
    const std::wstring stored =
        result == ERROR_SUCCESS ? std::wstring(buffer.data(), wcsnlen(buffer.data(), bytes / sizeof(wchar_t)))
                                : std::wstring();
    if (stored != expected && RunValueIsOursToRepair(stored)) SetRunValue(key.Get(), valueName, expected);
    return 1;
}

bool WriteAutostart(const std::wstring& valueName, bool allUsers) {
    return WriteAutostart(valueName, allUsers, ProgramFilePath());
}

bool WriteAutostart(const std::wstring& valueName, bool allUsers, const std::wstring& programPath) {
    if (programPath.empty()) return false;
    RegistryKey key;
    // The current user's Run key is missing on a fresh profile; creating it is what the user
    // expects from ticking "Start with Windows".
    if (RegCreateKeyExW(RootFor(allUsers), kRunKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr,
                        key.Receive(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return SetRunValue(key.Get(), valueName, AutostartCommandLine(programPath));
}

bool RemoveAutostart(const std::wstring& valueName, bool allUsers) {
    RegistryKey key;
    if (RegOpenKeyW(RootFor(allUsers), kRunKey, key.Receive()) != ERROR_SUCCESS) return false;
    return RegDeleteValueW(key.Get(), valueName.c_str()) == ERROR_SUCCESS;
}

namespace {

// Whether the value in the open Run key starts the program file `programPath`.
bool RunValueStartsProgram(HKEY key, const std::wstring& valueName, const std::wstring& programPath) {
    std::vector<wchar_t> buffer(2048, L'\0');
    DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    DWORD type = 0;
    if (programPath.empty() ||
        RegQueryValueExW(key, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    const std::wstring stored(buffer.data(), wcsnlen(buffer.data(), bytes / sizeof(wchar_t)));
    return RunCommandStartsProgram(stored, programPath);
}

}  // namespace

bool AutostartStartsProgram(const std::wstring& valueName, bool allUsers, const std::wstring& programPath) {
    RegistryKey key;
    return RegOpenKeyExW(RootFor(allUsers), kRunKey, 0, KEY_QUERY_VALUE, key.Receive()) == ERROR_SUCCESS &&
           RunValueStartsProgram(key.Get(), valueName, programPath);
}

bool RemoveAutostartOf(const std::wstring& valueName, bool allUsers, const std::wstring& programPath) {
    RegistryKey key;
    if (RegOpenKeyExW(RootFor(allUsers), kRunKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key.Receive()) != ERROR_SUCCESS ||
        !RunValueStartsProgram(key.Get(), valueName, programPath)) {
        return false;
    }
    return RegDeleteValueW(key.Get(), valueName.c_str()) == ERROR_SUCCESS;
}

std::wstring AutostartValueLocation(const std::wstring& valueName, bool allUsers) {
    return std::wstring(allUsers ? L"HKEY_LOCAL_MACHINE\\" : L"HKEY_CURRENT_USER\\") + kRunKey + L"\\" + valueName;
}

std::wstring ProgramAutostartName() {
    wchar_t valueName[1024] = L"";
    if (LoadStringW(GetModuleHandleW(nullptr), IDS_AUTOSTART_NAME, valueName, 1024) <= 0) return std::wstring();
    return valueName;
}

int QueryProgramAutostart() {
    const std::wstring valueName = ProgramAutostartName();
    if (valueName.empty()) return 0;
    QueryAutostart(valueName, true);
    return QueryAutostart(valueName, false);
}

void SyncAutostart(int startWithWindows) {
    const std::wstring valueName = ProgramAutostartName();
    if (valueName.empty()) return;
    if (startWithWindows == 1) {
        WriteAutostart(valueName, false);
    } else {
        RemoveAutostart(valueName, false);
    }
}
