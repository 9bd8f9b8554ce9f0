#pragma once

#include <string>

// The browser window speaks the user's language, as the program does: the language detected
// from the system, unless the settings file that the program would use stores another one.

// The settings file a normal start of the program at `programPath` would read, found without
// creating or writing anything: the one beside the program when it is there and writable (and
// the program does not run from the temporary folder `tempFolder`), otherwise the per-user one
// below `appDataFolder`.
std::wstring SettingsFileToRead(const std::wstring& programPath, const std::wstring& tempFolder,
                                const std::wstring& appDataFolder);

// The stored "lng" of the settings file that the program at `programPath` would use, read only;
// `fallback` when none is stored or the stored one is none the program offers.
int StoredLanguage(const std::wstring& programPath, int fallback);

// The language index for this process's browser window: the stored "lng" of that file, read
// only, or `detectedLanguage` when none is stored or the stored one is none the program offers.
int BrowserLanguage(int detectedLanguage);
