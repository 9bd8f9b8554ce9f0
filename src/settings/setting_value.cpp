#include "settings/setting_value.h"

#include <climits>
#include <cstdint>

namespace {

bool IsCLibrarySpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

}  // namespace

int ReadLeadingInt(std::wstring_view text) {
    size_t pos = 0;
    while (pos < text.size() && IsCLibrarySpace(text[pos])) ++pos;

    bool negative = false;
    if (pos < text.size() && (text[pos] == L'+' || text[pos] == L'-')) {
        negative = text[pos] == L'-';
        ++pos;
    }

    int64_t magnitude = 0;
    const int64_t limit = negative ? -static_cast<int64_t>(INT_MIN) : INT_MAX;
    for (; pos < text.size() && text[pos] >= L'0' && text[pos] <= L'9'; ++pos) {
        magnitude = magnitude * 10 + (text[pos] - L'0');
        if (magnitude > limit) {
            magnitude = limit;  // keep scanning digits, the result stays saturated
        }
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

int ClampSettingValue(int value, int low, int high) {
    if (low == -1 || high == -1) return value;
    if (value > high) value = high;
    if (value < low) value = low;
    return value;
}
