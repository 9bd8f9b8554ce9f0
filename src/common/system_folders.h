#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cwchar>
#include <string>
#include <vector>

// The temporary folder with its trailing backslash, as the system names it for this user; empty
// when it names none.
inline std::wstring TemporaryFolderPath() {
    std::vector<wchar_t> buffer(MAX_PATH + 1, L'\0');
    DWORD length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length >= buffer.size()) {
        buffer.assign(length + 1, L'\0');
        length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    }
    return length > 0 && length < buffer.size() ? std::wstring(buffer.data(), length) : std::wstring();
}

// A folder of the shell (a CSIDL_ value), without a trailing backslash; empty when the system
// has none.
inline std::wstring ShellFolderPath(int folderId) {
    wchar_t folder[MAX_PATH] = L"";
    if (!SHGetSpecialFolderPathW(nullptr, folder, folderId, FALSE)) return std::wstring();
    return folder;
}

// Makes a new, empty folder of this program's own under the temporary folder, named `prefix`
// followed by a number nobody can have taken before us (the folder must not exist yet: a name
// somebody else made first is passed over, never entered). Returns its path with a trailing
// backslash, or empty when none could be made. The caller removes the folder when done.
// `security` (may be null: the temporary folder's own rights) is given to the folder as it is
// made, so that nobody gets in before its rights are set.
inline std::wstring CreateOwnTemporaryFolder(const wchar_t* prefix, SECURITY_ATTRIBUTES* security = nullptr) {
    const std::wstring temporaryFolder = TemporaryFolderPath();
    if (temporaryFolder.empty()) return std::wstring();
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    unsigned long long seed = static_cast<unsigned long long>(counter.QuadPart) ^
                              (static_cast<unsigned long long>(GetCurrentProcessId()) << 32);
    for (int attempt = 0; attempt < 64; ++attempt) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        wchar_t name[32];
        swprintf(name, 32, L"%08lx", static_cast<unsigned long>(seed >> 33));
        const std::wstring folder = temporaryFolder + prefix + name;
        if (CreateDirectoryW(folder.c_str(), security)) return folder + L"\\";
        if (GetLastError() != ERROR_ALREADY_EXISTS) return std::wstring();
    }
    return std::wstring();
}
