#include "settings/settings_location.h"

#include <windows.h>
#include <shlobj.h>

#include <ctime>
#include <vector>

#include "common/file_attributes.h"
#include "common/module_path.h"
#include "common/system_folders.h"
#include "common/unique_handle.h"
#include "settings/app_config.h"
#include "settings/ini_file.h"
#include "settings/settings_paths.h"

namespace {

constexpr const wchar_t* kProbeKey = L"TestIni";
// A settings file is a few kilobytes; anything far larger is not ours to rewrite.
constexpr LONGLONG kLargestConvertibleFile = 16 * 1024 * 1024;

// A read-only file is never written, also where the file system would let an administrator
// (or Wine running as root) write it anyway.
bool IsReadOnlyFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

std::wstring ReadProbe(const std::wstring& file) {
    std::wstring value;
    IniReadText(kProgramSection, kProbeKey, value, file);
    return value;
}

bool ReadWholeFile(const std::wstring& path, std::vector<char>& bytes) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > kLargestConvertibleFile) return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        return false;
    }
    bytes.resize(read);
    return true;
}

std::wstring TextFromBytes(const char* bytes, size_t count, UINT codePage) {
    if (count == 0) return std::wstring();
    const int length = MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(count), nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(count), text.data(), length);
    return text;
}

bool WriteUtf16File(const std::wstring& path, const std::wstring& text) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    static const unsigned char kByteOrderMark[2] = {0xFF, 0xFE};
    DWORD written = 0;
    if (!WriteFile(file.Get(), kByteOrderMark, sizeof(kByteOrderMark), &written, nullptr) || written != 2) return false;
    const DWORD textBytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (textBytes != 0 && (!WriteFile(file.Get(), text.data(), textBytes, &written, nullptr) || written != textBytes)) {
        return false;
    }
    return FlushFileBuffers(file.Get()) != FALSE;
}

}  // namespace

bool ConvertSettingsFileToUnicode(const std::wstring& path) {
    std::vector<char> bytes;
    if (!ReadWholeFile(path, bytes)) return false;
    const bool hasMark =
        bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE;
    if (hasMark) return true;
    if (IsReadOnlyFile(path)) return false;

    std::wstring text;
    if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
        static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF) {
        text = TextFromBytes(bytes.data() + 3, bytes.size() - 3, CP_UTF8);
    } else {
        text = TextFromBytes(bytes.data(), bytes.size(), CP_ACP);
    }

    // Write the converted text beside the file first and swap it in only when it is complete.
    const std::wstring converted = path + L".utf16";
    if (!WriteUtf16File(converted, text)) {
        DeleteFileW(converted.c_str());
        return false;
    }
    if (!MoveFileExW(converted.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(converted.c_str());
        return false;
    }
    return true;
}

SettingsLocation LocateSettingsFile(const SettingsLocationInput& input) {
    const std::wstring fileName = kProgramName + std::wstring(L".ini");
    const bool portable = IsPortableProgramName(FileNameOfPath(input.modulePath));
    const std::wstring programFolder = FolderOfPath(input.modulePath);

    SettingsLocation location;
    location.path = WithTrailingBackslash(programFolder) + fileName;

    // A program started from inside the temporary folder (straight out of an archive viewer,
    // say) neither keeps nor leaves a settings file there.
    const bool insideTempFolder = IsFolderInside(programFolder, input.tempFolder);
    const bool readOnly = IsReadOnlyFile(location.path);
    if (portable && !insideTempFolder && !readOnly) IniWriteText(kProgramSection, kProbeKey, L"M", location.path);

    const std::wstring stamp = std::to_wstring(input.now);
    bool useProgramFolder = false;
    if (!insideTempFolder && !readOnly && IsExistingFile(location.path)) {
        IniWriteText(kProgramSection, kProbeKey, stamp, location.path);
        useProgramFolder = ReadProbe(location.path) == stamp;
    }

    if (useProgramFolder) {
        location.inProgramFolder = true;
    } else {
        const std::wstring userFolder = WithTrailingBackslash(input.appDataFolder) + kProgramName;
        CreateDirectoryW(userFolder.c_str(), nullptr);
        location.path = userFolder + L"\\" + fileName;
    }

    IniWriteText(kProgramSection, kProbeKey, std::to_wstring(input.now - 22), location.path);
    ReadProbe(location.path);
    ConvertSettingsFileToUnicode(location.path);
    return location;
}

int LocateSettingsFileForProcess(int detectedLanguage) {
    SettingsLocationInput input;

    input.modulePath = ProgramFilePath();
    input.tempFolder = TemporaryFolderPath();
    input.appDataFolder = ShellFolderPath(CSIDL_APPDATA);
    input.now = static_cast<int64_t>(time(nullptr));

    const SettingsLocation location = LocateSettingsFile(input);
    SetSettingsPath(location.path);
    SetSettingsInProgramFolder(location.inProgramFolder);

    return StartLanguage(IniReadInt(L"lng", detectedLanguage), detectedLanguage);
}

int StartLanguage(int storedLanguage, int detectedLanguage) {
    return kLanguageRange.Clamp(storedLanguage) == storedLanguage ? storedLanguage : detectedLanguage;
}
