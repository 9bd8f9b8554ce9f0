#include "browser/browser_emulation.h"

#include <windows.h>

namespace {

int g_openBrowserWindows = 0;

void SetEmulationValue(const std::wstring& fileName) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kBrowserEmulationKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    const DWORD mode = kBrowserEmulationMode;
    RegSetValueExW(key, fileName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mode), sizeof(mode));
    RegCloseKey(key);
}

void RemoveEmulationValue(const std::wstring& fileName) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kBrowserEmulationKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueW(key, fileName.c_str());
    RegCloseKey(key);
}

}  // namespace

void BrowserWindowOpened(const std::wstring& fileName) {
    if (g_openBrowserWindows++ == 0) SetEmulationValue(fileName);
}

void BrowserWindowClosed(const std::wstring& fileName) {
    if (g_openBrowserWindows > 0 && --g_openBrowserWindows == 0) RemoveEmulationValue(fileName);
}

std::optional<unsigned long> BrowserEmulationValue(const std::wstring& fileName) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = REG_NONE;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kBrowserEmulationKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    const LONG result = RegQueryValueExW(key, fileName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value)) return std::nullopt;
    return value;
}
