#pragma once

#include <optional>
#include <string>

// The browser control renders in an old compatibility mode unless the program's file name is
// listed under FEATURE_BROWSER_EMULATION. While a browser window of the program exists, that
// value (11001: the newest standards mode) stands under the current user; it goes when the last
// browser window of the process closes.

inline constexpr const wchar_t* kBrowserEmulationKey =
    L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";
inline constexpr unsigned long kBrowserEmulationMode = 11001;

// Counts the process's browser windows: the first one sets the value named `fileName`, the last
// one to go removes it. Main thread only.
void BrowserWindowOpened(const std::wstring& fileName);
void BrowserWindowClosed(const std::wstring& fileName);

// The value for `fileName` as it stands in the registry; null when there is none (or it is no
// 32-bit number).
std::optional<unsigned long> BrowserEmulationValue(const std::wstring& fileName);
