#include "imaging/file_size_text.h"

#include <cwchar>

FileSizeText FileSizeNumberText(uint64_t bytes) {
    wchar_t number[64] = L"";
    if (bytes < 1000) {
        std::swprintf(number, 64, L"%llu", static_cast<unsigned long long>(bytes));
        return {number, L" byte"};
    }
    // The bytes in hundredths of the unit's thousand, divided by the unit's 1024-step over a
    // hundred: k / 102.4 = bytes / 1024 for kilobytes, and so on.
    struct Scale {
        uint64_t below;
        uint64_t divisor;
        double unitPerHundredths;
        const wchar_t* unit;
    };
    static const Scale kScales[] = {
        {1000000ull, 10ull, 102.4, L" KB"},
        {1000000000ull, 10000ull, 104.8576, L" MB"},
        {UINT64_MAX, 10000000ull, 107.3741824, L" GB"},
    };
    for (const Scale& scale : kScales) {
        if (bytes >= scale.below && scale.below != UINT64_MAX) continue;
        const uint64_t k = bytes / scale.divisor;
        const double value = static_cast<double>(k) / scale.unitPerHundredths;
        const wchar_t* format = k < 1000 ? L"%.2f" : (k < 10000 ? L"%.1f" : L"%.0f");
        std::swprintf(number, 64, format, value);
        return {number, scale.unit};
    }
    return {L"0", L" byte"};
}
