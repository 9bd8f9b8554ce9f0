#pragma once

#include <string_view>

// Reads the leading decimal number of a text the way the C library's wide-string-to-integer
// conversion does: white space (blank, tab, CR, LF, VT, FF) is skipped, one sign is taken,
// then digits up to the first non-digit. No digits gives 0; values beyond the 32-bit range
// saturate at its ends.
int ReadLeadingInt(std::wstring_view text);

// Clamps a setting read from the file: first to at most `high`, then to at least `low`.
// A bound of -1 on either side switches clamping off and returns the value unchanged.
int ClampSettingValue(int value, int low, int high);
