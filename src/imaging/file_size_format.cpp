#include "imaging/file_size_format.h"

#include <cwchar>

#include "imaging/file_size_text.h"

namespace {

std::wstring LocaleInfo(LCID locale, LCTYPE item) {
    wchar_t text[16] = L"";
    if (GetLocaleInfoW(locale, item, text, 16) == 0) return std::wstring();
    return text;
}

UINT LocaleNumber(LCID locale, LCTYPE item, UINT fallback) {
    DWORD value = 0;
    if (GetLocaleInfoW(locale, item | LOCALE_RETURN_NUMBER, reinterpret_cast<wchar_t*>(&value),
                       sizeof(value) / sizeof(wchar_t)) == 0) {
        return fallback;
    }
    return value;
}

}  // namespace

std::wstring FormatFileSizeForLocale(uint64_t bytes, LCID locale) {
    const FileSizeText size = FileSizeNumberText(bytes);
    std::wstring decimal = LocaleInfo(locale, LOCALE_SDECIMAL);
    std::wstring thousands = LocaleInfo(locale, LOCALE_STHOUSAND);
    if (decimal.empty()) decimal = L".";
    // Only the leading group size counts ("3;0" groups by threes, "3;2;0" too).
    const UINT grouping = static_cast<UINT>(std::wcstoul(LocaleInfo(locale, LOCALE_SGROUPING).c_str(), nullptr, 10));

    NUMBERFMTW format{};
    format.NumDigits = 1;
    format.LeadingZero = LocaleNumber(locale, LOCALE_ILZERO, 1);
    format.Grouping = grouping;
    format.lpDecimalSep = decimal.data();
    format.lpThousandSep = thousands.data();
    format.NegativeOrder = LocaleNumber(locale, LOCALE_INEGNUMBER, 1);

    wchar_t formatted[64] = L"";
    if (GetNumberFormatW(locale, 0, size.number.c_str(), &format, formatted, 64) == 0) {
        return size.number + size.unit;
    }
    return formatted + size.unit;
}

std::wstring FormatFileSize(uint64_t bytes) { return FormatFileSizeForLocale(bytes, LOCALE_USER_DEFAULT); }
