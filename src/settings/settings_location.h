#pragma once

#include <cstdint>
#include <string>

// What the settings file location depends on; the start-up fills it from the process.
struct SettingsLocationInput {
    std::wstring modulePath;     // full path of the program file
    std::wstring tempFolder;     // the temporary folder
    std::wstring appDataFolder;  // the user's roaming application-data folder
    int64_t now = 0;             // seconds since 1970
};

struct SettingsLocation {
    std::wstring path;             // the settings file to use for this run
    bool inProgramFolder = false;  // the file next to the program passed the write test
};

inline constexpr const wchar_t* kProgramName = L"Orbelin";

// Decides where the settings file lives and writes the "TestIni" probe into it: next to the
// program when the program is portable or a writable settings file already stands there (but
// never inside the temporary folder), otherwise in the per-user folder, which is created.
// Converts the chosen file to UTF-16 afterwards.
SettingsLocation LocateSettingsFile(const SettingsLocationInput& input);

// Rewrites a settings file that has no UTF-16 byte-order mark as UTF-16 LE with the mark.
// The text is taken as UTF-8 when it starts with the UTF-8 mark, otherwise in the ANSI code
// page. The new content replaces the old file in one step, so a failure keeps the old file.
// Returns false when the file could not be read or rewritten; true when it is (now) UTF-16.
bool ConvertSettingsFileToUnicode(const std::wstring& path);

// The language a start uses: the stored one when it is one of the languages the program offers,
// else the detected one.
int StartLanguage(int storedLanguage, int detectedLanguage);

// Start-up step of a normal start: locates the settings file for this process, makes it the
// file of every access operation and returns the value stored as "lng", or `detectedLanguage`
// when none is stored or the stored one is none of the languages the program offers.
int LocateSettingsFileForProcess(int detectedLanguage);
