#pragma once

#include <cstdint>
#include <string>

// The size of a file as the picture lists show it: a number and a unit. The number text is in
// the C locale (a point before the decimals) and still has to be put into the user's number
// format (FormatFileSize), which shows it with exactly one decimal.
struct FileSizeText {
    std::wstring number;  // "999", "1.49", "97.7", "1024"
    std::wstring unit;    // " byte", " KB", " MB", " GB"
};

// Below 1000 bytes the count itself; above, kilobytes, megabytes or gigabytes of 1024 steps,
// worked out from the bytes cut to 4 digits less precision than the unit (so 1,000,000,000
// bytes read 0.93 GB), with two decimals below 10, one below 100 and none from there on.
FileSizeText FileSizeNumberText(uint64_t bytes);
