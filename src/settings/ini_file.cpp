#include "settings/ini_file.h"

#include <windows.h>

#include <vector>

#include "common/unique_handle.h"
#include "settings/setting_value.h"
#include "settings/settings_text.h"

namespace {

std::wstring g_settingsPath;
bool g_settingsInProgramFolder = false;

// A code section is read into a buffer of the first size, doubled until the section fits. The
// largest list the program stores (32 paths of up to 32,767 code units, up to six characters each
// once encoded) stays well below the last size.
constexpr DWORD kCodeSectionFirstCapacity = 65536;
constexpr DWORD kCodeSectionMaxCapacity = 16 * 1024 * 1024;

std::wstring CodeSectionName(const wchar_t* key) { return std::wstring(key) + L"_code"; }

// Whether the settings file can be written: a file that exists is not read-only (also where the
// file system would let an administrator, or Wine running as root, write it anyway) and opens for
// writing; a missing one is left to the profile function, which creates it or fails. Wine's
// profile functions report success for a file they cannot write and keep the unwritten content
// in their cache, so a store that must be able to say it failed asks first.
bool SettingsFileTakesWrites(const std::wstring& file) {
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
    if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) return false;
    const UniqueHandle opened(CreateFileW(file.c_str(), GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return opened.IsValid();
}

}  // namespace

const std::wstring& SettingsPath() { return g_settingsPath; }
void SetSettingsPath(const std::wstring& path) { g_settingsPath = path; }
bool SettingsInProgramFolder() { return g_settingsInProgramFolder; }
void SetSettingsInProgramFolder(bool inProgramFolder) { g_settingsInProgramFolder = inProgramFolder; }

bool IniWriteText(const wchar_t* section, const wchar_t* key, const std::wstring& text, const std::wstring& file) {
    return WritePrivateProfileStringW(section, key, text.c_str(), file.c_str()) != FALSE;
}

bool IniWriteInt(const wchar_t* section, const wchar_t* key, int value, const std::wstring& file) {
    return IniWriteText(section, key, std::to_wstring(value), file);
}

unsigned IniReadText(const wchar_t* section, const wchar_t* key, std::wstring& value, const std::wstring& file,
                     unsigned capacity) {
    if (capacity == 0) return 0;
    std::vector<wchar_t> buffer(capacity, L'\0');
    const std::wstring defaultValue = value.substr(0, capacity - 1);
    const DWORD copied =
        GetPrivateProfileStringW(section, key, defaultValue.c_str(), buffer.data(), capacity, file.c_str());
    value.assign(buffer.data(), copied);
    return copied;
}

int IniReadInt(const wchar_t* section, const wchar_t* key, int defaultValue, int low, int high,
               const std::wstring& file) {
    std::wstring text = std::to_wstring(defaultValue);
    const int value = IniReadText(section, key, text, file) != 0 ? ReadLeadingInt(text) : defaultValue;
    return ClampSettingValue(value, low, high);
}

int IniReadInt(const wchar_t* key, int defaultValue) {
    return IniReadInt(kProgramSection, key, defaultValue, -1, -1, g_settingsPath);
}

bool IniWriteInt(const wchar_t* key, int value) { return IniWriteInt(kProgramSection, key, value, g_settingsPath); }

unsigned IniReadText(const wchar_t* key, std::wstring& value, unsigned capacity) {
    return IniReadText(kProgramSection, key, value, g_settingsPath, capacity);
}

bool IniWriteText(const wchar_t* key, const std::wstring& text) {
    return IniWriteText(kProgramSection, key, text, g_settingsPath);
}

std::wstring IniReadEncoded(const wchar_t* key, unsigned capacity) {
    std::wstring stored;
    IniReadText(key, stored, capacity);
    return DecodeSettingText(stored);
}

bool IniWriteEncoded(const wchar_t* key, const std::wstring& text) {
    return IniWriteText(key, EncodeSettingText(text));
}

bool IniWriteCodeSection(const wchar_t* key, const std::wstring& text) {
    const std::wstring section = CodeSectionName(key);
    if (!SettingsFileTakesWrites(g_settingsPath)) return false;

    // One call replaces the section's lines, so that a reader on another thread finds either the
    // old content or the new one, never none. The section content is a double-NUL terminated list of lines; ours has
    // one line. It ends with "=" because Wine's profile functions drop section lines without one; the decoding ignores
    // everything after the last comma, so either form reads back the same.
    std::wstring content = EncodeSettingText(text) + L"=";
    content.push_back(L'\0');
    return WritePrivateProfileSectionW(section.c_str(), content.c_str(), g_settingsPath.c_str()) != FALSE;
}

std::wstring IniReadCodeSection(const wchar_t* key) {
    const std::wstring section = CodeSectionName(key);
    std::vector<wchar_t> buffer;
    DWORD copied = 0;
    for (DWORD capacity = kCodeSectionFirstCapacity;; capacity *= 2) {
        buffer.assign(capacity, L'\0');
        copied = GetPrivateProfileSectionW(section.c_str(), buffer.data(), capacity, g_settingsPath.c_str());
        // A section that does not fit comes back cut, with the capacity minus two as its length.
        if (copied + 2 < capacity || capacity >= kCodeSectionMaxCapacity) break;
    }

    // Lines come back NUL-separated; the encoded text may have been wrapped over several.
    std::wstring joined;
    const wchar_t* line = buffer.data();
    const wchar_t* const end = buffer.data() + copied;
    for (bool first = true; line < end; first = false) {
        const size_t length = wcsnlen(line, end - line);
        if (!first) joined += L"\r\n";
        joined.append(line, length);
        line += length + 1;
    }
    return DecodeSettingText(joined);
}
