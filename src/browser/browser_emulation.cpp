#include "browser/browser_emulation.h"

#include <windows.h>

#include "common/registry_key.h"

namespace {

int g_openBrowserWindows = 0;

void SetEmulationValue(const std::wstring& fileName) {
    RegistryKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kBrowserEmulationKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Receive(),
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    const DWORD mode = kBrowserEmulationMode;
    RegSetValueExW(key.Get(), fileName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mode), sizeof(mode));
}

void RemoveEmulationValue(const std::wstring& fileName) {
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kBrowserEmulationKey, 0, KEY_SET_VALUE, key.Receive()) != ERROR_SUCCESS)
        return;
    RegDeleteValueW(key.Get(), fileName.c_str());
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
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kBrowserEmulationKey, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    const LONG result =
        RegQueryValueExW(key.Get(), fileName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (result != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value)) return std::nullopt;
    return value;
}
