#include "settings/settings_text.h"

#include <gtest/gtest.h>

#include <climits>

#include "settings/setting_value.h"

namespace {

TEST(EncodeSettingText, KnownValues) {
    EXPECT_EQ(EncodeSettingText(L"abc"), L"227,227,227,196,197,198,199,200,201,");
    EXPECT_EQ(EncodeSettingText(L""), L"193,194,195,196,197,198,");
    // Values wrap at 65536: U+FFFF at the first position becomes 127.
    EXPECT_EQ(EncodeSettingText(L"\xFFFF"), L"127,194,195,196,197,198,199,");
}

TEST(DecodeSettingText, RoundTrips) {
    const std::wstring texts[] = {
        L"",
        L"abc",
        L"C:\\Users\\Jörg\\Pictures\\Ferien 2026",
        L"\xD83D\xDE00 smile",  // a surrogate pair stays a pair
        L"Z:\\a.jpg\r\nZ:\\b.png\r\n",
        std::wstring(5000, L'\x4E2D'),
    };
    for (const std::wstring& text : texts) {
        SCOPED_TRACE(text.substr(0, 40));
        EXPECT_EQ(DecodeSettingText(EncodeSettingText(text)), text);
    }
}

TEST(DecodeSettingText, ValuesThatDoNotDecodeGiveEmptyText) {
    const std::wstring abc = EncodeSettingText(L"abc");
    const struct {
        const char* label;
        std::wstring stored;
    } cases[] = {
        {"empty value", L""},
        {"plain path never encoded", L"C:\\Pictures\\Holiday"},
        {"numbers without the marker", L"1,2,3,"},
        {"cut short: marker lost", abc.substr(0, abc.size() - 8)},
        {"only a number without comma", L"227"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        EXPECT_EQ(DecodeSettingText(testCase.stored), L"");
    }
}

TEST(DecodeSettingText, ToleratesLineBreaksAndTrailingText) {
    // Leading white space of a number, CR and LF included, is skipped; text after the last
    // comma is ignored.
    EXPECT_EQ(DecodeSettingText(L"227,\r\n227, 227,196,197,198,\n199,200,201,trailing"), L"abc");
}

TEST(ReadLeadingInt, CLibraryRule) {
    const struct {
        const wchar_t* text;
        int expected;
    } cases[] = {
        {L"", 0},          {L"42", 42},          {L"12abc", 12},         {L"abc", 0},
        {L"  -5", -5},     {L"\r\n\t+7", 7},     {L"- 5", 0},            {L"0x10", 0},
        {L"2147483647", INT_MAX},                {L"99999999999999999999", INT_MAX},
        {L"-2147483648", INT_MIN},               {L"-99999999999999999999", INT_MIN},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.text);
        EXPECT_EQ(ReadLeadingInt(testCase.text), testCase.expected);
    }
}

TEST(ClampSettingValue, BoundsAndSwitchOff) {
    EXPECT_EQ(ClampSettingValue(250, 1, 100), 100);
    EXPECT_EQ(ClampSettingValue(-5, 1, 100), 1);
    EXPECT_EQ(ClampSettingValue(50, 1, 100), 50);
    EXPECT_EQ(ClampSettingValue(250, -1, 100), 250);
    EXPECT_EQ(ClampSettingValue(-5, 1, -1), -5);
}

}  // namespace
