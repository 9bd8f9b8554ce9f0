#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lang/language_tables.h"

// The UTF-16 LE bytes of a text, without byte-order mark.
std::vector<uint8_t> Utf16LeBytes(const std::wstring& text);

// An archive made from `text` the way the build makes it: LZARI-compressed, then decoded and
// indexed by the program's own code. Null when the program refuses the payload.
std::unique_ptr<LanguageArchive> ArchiveFromText(const std::wstring& text);

// A file named by an environment variable that CTest sets (a Linux path); nothing when the
// variable is missing or the file cannot be read.
std::optional<std::vector<uint8_t>> ReadFileNamedBy(const char* variable);

// Whether `text` and its terminating zero lie inside the archive's text buffer.
bool PointsIntoArchive(const LanguageArchive& archive, const wchar_t* text);
