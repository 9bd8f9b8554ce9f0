#include "browser/browser_language.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "common/module_path.h"
#include "common/system_folders.h"
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

int StoredLanguage(const std::wstring& programPath, int fallback) {
    const std::wstring file = SettingsFileToRead(programPath, TemporaryFolderPath(), ShellFolderPath(CSIDL_APPDATA));
    return StartLanguage(IniReadInt(kProgramSection, L"lng", fallback, -1, -1, file), fallback);
}

int BrowserLanguage(int detectedLanguage) { return StoredLanguage(ProgramFilePath(), detectedLanguage); }
