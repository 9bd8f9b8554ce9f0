#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The size text of a file in the picture lists: FileSizeNumberText put into the number format of
// the user's default locale (its decimal and thousands separators, grouping, leading zero and
// negative form) with exactly one decimal, followed by the unit. In English 1536 bytes read
// "1.5 KB" and 999 bytes "999.0 byte".
std::wstring FormatFileSize(uint64_t bytes);

// The same in the number format of `locale`.
std::wstring FormatFileSizeForLocale(uint64_t bytes, LCID locale);
