#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The translator's tools: the template of the English texts written to the temporary folder,
// and translation files loaded in place of the archive's languages. Main thread.

// A translation file larger than this is refused: a complete one is a few ten kilobytes.
inline constexpr uint64_t kMaxTranslationFileSize = 16ull * 1024 * 1024;

// The text of a translation file's bytes: UTF-16 little-endian after the mark FF FE (an odd
// last byte is dropped), otherwise text in the system's ANSI code page.
std::wstring DecodeTranslationText(const std::vector<uint8_t>& bytes);

// The text of the file at `path`; empty when it cannot be opened or read, or is larger than
// kMaxTranslationFileSize.
std::wstring ReadTranslationFile(const std::wstring& path);

// Where the template goes: the temporary folder and the template's name.
std::wstring TranslationTemplatePath();

// Writes the template (UTF-16 LE with byte-order mark, replacing an earlier one) and asks the
// shell to open it. Does nothing before the archive is loaded.
void ExportTranslationTemplate();

// Reads the file into the translation table and makes it the source of every text, then shows
// the report (caption "Translate", owned by the active window). A file that cannot be read
// gives an empty table. A file larger than kMaxTranslationFileSize is not read: the message
// says it is too large and the texts in use stay. Returns what was shown; empty before the
// archive is loaded.
std::wstring LoadTranslationFile(const std::wstring& path);

// Asks for a translation file with the system's open-file dialog and loads the one chosen.
// Returns whether a file was chosen.
bool ChooseTranslationFile();
