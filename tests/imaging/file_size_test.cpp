#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "imaging/file_size_format.h"
#include "imaging/file_size_text.h"
#include "imaging/imaging_test_support.h"

namespace {

// The number text before the locale's format, and the shown text in English (United States)
// and German (Germany: comma decimals, point thousands).
TEST(FileSizeTest, FormatsByRangeInTheLocalesNumberFormat) {
    const LCID english = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
    const LCID german = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);
    const struct {
        uint64_t bytes;
        const wchar_t* number;
        const wchar_t* inEnglish;
        const wchar_t* inGerman;
    } cases[] = {
        {0, L"0", L"0.0 byte", L"0,0 byte"},
        {999, L"999", L"999.0 byte", L"999,0 byte"},
        {1000, L"0.98", L"1.0 KB", L"1,0 KB"},                // k = 100
        {1536, L"1.49", L"1.5 KB", L"1,5 KB"},                // k = 153
        {999999, L"977", L"977.0 KB", L"977,0 KB"},           // k = 99,999
        {1000000, L"0.95", L"1.0 MB", L"1,0 MB"},             // k = 100
        {1000000000, L"0.93", L"0.9 GB", L"0,9 GB"},          // k = 100
        {1ull << 40, L"1024", L"1,024.0 GB", L"1.024,0 GB"},  // k = 109,951
        {52428800, L"50.0", L"50.0 MB", L"50,0 MB"},          // k = 5242: one decimal
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.bytes);
        EXPECT_EQ(FileSizeNumberText(row.bytes).number, row.number);
        EXPECT_EQ(FormatFileSizeForLocale(row.bytes, english), row.inEnglish);
        EXPECT_EQ(FormatFileSizeForLocale(row.bytes, german), row.inGerman);
    }
    // The user's default locale is used by the plain form.
    EXPECT_EQ(FormatFileSize(1536), FormatFileSizeForLocale(1536, LOCALE_USER_DEFAULT));
}

}  // namespace
