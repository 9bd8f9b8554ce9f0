#pragma once

#include <string>

// Access to the settings file through the Windows profile functions. Nothing is cached: every
// read goes to the file and every write changes it at once. Failures are silent: a failed
// write leaves the file as it was and a failed read gives the default.

inline constexpr const wchar_t* kProgramSection = L"Program";

// Characters a plain read takes from the file unless the caller asks for more.
inline constexpr unsigned kIniTextCapacity = 1024;

// The settings file of this run; empty until the start-up has located it.
const std::wstring& SettingsPath();
void SetSettingsPath(const std::wstring& path);

// 1 when the settings file next to the program passed the write test, else 0.
bool SettingsInProgramFolder();
void SetSettingsInProgramFolder(bool inProgramFolder);

// Writes a text value; returns the profile function's result.
bool IniWriteText(const wchar_t* section, const wchar_t* key, const std::wstring& text, const std::wstring& file);
// Writes an integer as "%d".
bool IniWriteInt(const wchar_t* section, const wchar_t* key, int value, const std::wstring& file);

// Reads a text value into `value`, whose current content is the default. Takes at most
// `capacity` - 1 characters. Returns the number of characters copied.
unsigned IniReadText(const wchar_t* section, const wchar_t* key, std::wstring& value, const std::wstring& file,
                     unsigned capacity = kIniTextCapacity);

// Reads an integer: an empty or missing value gives `defaultValue`, otherwise the leading
// decimal digits count (a non-number reads as 0). Clamped to [low, high] unless either is -1.
int IniReadInt(const wchar_t* section, const wchar_t* key, int defaultValue, int low, int high,
               const std::wstring& file);

// Shortcuts for the "Program" section of the settings file.
int IniReadInt(const wchar_t* key, int defaultValue);
bool IniWriteInt(const wchar_t* key, int value);
unsigned IniReadText(const wchar_t* key, std::wstring& value, unsigned capacity = kIniTextCapacity);
bool IniWriteText(const wchar_t* key, const std::wstring& text);

// Paths and lists kept in their encoded form. A stored value that does not decode reads as
// the empty text. `capacity` bounds the characters of the stored (encoded) value.
std::wstring IniReadEncoded(const wchar_t* key, unsigned capacity = kIniTextCapacity);
bool IniWriteEncoded(const wchar_t* key, const std::wstring& text);

// A long encoded value kept as the whole content of its own section, named key + "_code".
// Writing replaces the section whole in one profile call, so that readers on other threads never
// find it missing; returns false when the settings file cannot be written (then nothing changed).
bool IniWriteCodeSection(const wchar_t* key, const std::wstring& text);
// Reads the section whole, however long (up to 16 Mi characters); a section longer than that,
// or one that does not decode, reads as the empty text.
std::wstring IniReadCodeSection(const wchar_t* key);
