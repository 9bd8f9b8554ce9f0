#pragma once

#include <string_view>

// Letter case of the ASCII letters A-Z only, as addresses, file names of the program's own and
// hexadecimal digits use it: no locale, no other alphabet.

inline wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

inline bool StartsWithIgnoringAsciiCase(std::wstring_view text, std::wstring_view start) {
    if (text.size() < start.size()) return false;
    for (size_t i = 0; i < start.size(); ++i) {
        if (AsciiLower(text[i]) != AsciiLower(start[i])) return false;
    }
    return true;
}

inline bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && StartsWithIgnoringAsciiCase(a, b);
}
