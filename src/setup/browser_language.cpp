#include "setup/browser_language.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "common/module_path.h"
#include "settings/ini_file.h"
#include "settings/settings_location.h"
#include "settings/settings_paths.h"

namespace {

bool IsWritableExistingFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0;
}

}  // namespace

std::wstring SettingsFileToRead(const std::wstring& programPath, const std::wstring& tempFolder,
                                const std::wstring& appDataFolder) {
    const std::wstring fileName = std::wstring(kProgramName) + L".ini";
    const std::wstring programFolder = FolderOfPath(programPath);
    const std::wstring besideProgram = WithTrailingBackslash(programFolder) + fileName;
    if (!IsFolderInside(programFolder, tempFolder) && IsWritableExistingFile(besideProgram)) return besideProgram;
    return WithTrailingBackslash(appDataFolder) + kProgramName + L"\\" + fileName;
}

int BrowserLanguage(int detectedLanguage) {
    std::vector<wchar_t> temp(32768, L'\0');
    const DWORD tempLength = GetTempPathW(static_cast<DWORD>(temp.size()), temp.data());
    wchar_t appData[MAX_PATH] = L"";
    if (!SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE)) appData[0] = L'\0';
    const std::wstring file = SettingsFileToRead(
        ProgramFilePath(), std::wstring(temp.data(), tempLength < temp.size() ? tempLength : 0), appData);
    return IniReadInt(kProgramSection, L"lng", detectedLanguage, -1, -1, file);
}
