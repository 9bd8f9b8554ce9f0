#include <gtest/gtest.h>

#include "browser/setup_test_support.h"
#include "browser/update_fields.h"

namespace {

std::wstring Text(const std::optional<std::wstring_view>& field) {
    return field ? WithoutCarriageReturns(*field) : L"<none>";
}

TEST(ParseUpdateFields, ReadsEachFieldFromLinesEndedByLineFeeds) {
    const UpdateFields fields = ParseUpdateFields(
        L"<html><body>\n"
        L"Version-Info=2.0.1\n"
        L"New-Version-SHA256=ABCdef\n"
        L"New-Version-Base64_len=8\n"
        L"New-Version-len=5\n"
        L"New-Version=SGVsbG8=\n"
        L"base_64_code=Zm9v\n"
        L"time_base_64=MTIz\n"
        L"</body></html>");
    EXPECT_EQ(Text(fields.versionInfo), L"2.0.1");
    EXPECT_EQ(Text(fields.digest), L"ABCdef");
    EXPECT_EQ(Text(fields.base64Length), L"8");
    EXPECT_EQ(Text(fields.programLength), L"5");
    EXPECT_EQ(Text(fields.program), L"SGVsbG8=");
    EXPECT_EQ(Text(fields.base64Code), L"Zm9v");
    EXPECT_EQ(Text(fields.timeBase64), L"MTIz");
}

TEST(ParseUpdateFields, LineRules) {
    const struct {
        const char* name;
        const wchar_t* document;
        const wchar_t* expectedVersion;
    } cases[] = {
        {"carriage returns do not count", L"Version-Info=1.2\r\n", L"1.2"},
        {"a carriage return inside the name", L"Vers\rion-Info=1.2\n", L"1.2"},
        {"a carriage return inside the value", L"Version-Info=1.\r2\n", L"1.2"},
        {"a lone carriage return ends no line", L"Version-Info=1.2\rNew-Version=x", L"<none>"},
        {"the text after the last line feed is no line", L"x\nVersion-Info=1.2", L"<none>"},
        {"the name ends at the first =", L"Version-Info=a=b\n", L"a=b"},
        {"an empty value", L"Version-Info=\n", L""},
        {"the first line of a name counts", L"Version-Info=1\nVersion-Info=2\n", L"1"},
        {"names are exact: case", L"version-info=1.2\n", L"<none>"},
        {"names are exact: a blank before", L" Version-Info=1.2\n", L"<none>"},
        {"names are exact: a blank after", L"Version-Info =1.2\n", L"<none>"},
        {"markup before the name makes another name", L"<p>Version-Info=1.2\n", L"<none>"},
        {"no = at all", L"Version-Info 1.2\n", L"<none>"},
        {"empty text", L"", L"<none>"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        EXPECT_EQ(Text(ParseUpdateFields(testCase.document).versionInfo), testCase.expectedVersion);
    }
}

TEST(ParseUpdateFields, SimilarNamesStayApart) {
    // "New-Version" begins the names of three other fields; each line is only its own field.
    const UpdateFields fields =
        ParseUpdateFields(L"New-Version-len=5\nNew-Version-SHA256x=no\nNew-Version-SHA256=yes\nNew-Version=data\n");
    EXPECT_EQ(Text(fields.programLength), L"5");
    EXPECT_EQ(Text(fields.digest), L"yes");
    EXPECT_EQ(Text(fields.program), L"data");
    EXPECT_FALSE(fields.base64Length.has_value());
}

TEST(ParseUpdateFields, ValuesPointIntoTheDocument) {
    const std::wstring document = L"New-Version=" + std::wstring(100000, L'A') + L"\n";
    const UpdateFields fields = ParseUpdateFields(document);
    ASSERT_TRUE(fields.program.has_value());
    EXPECT_EQ(fields.program->data(), document.data() + 12);
    EXPECT_EQ(fields.program->size(), 100000u);
}

TEST(ReadStatedLength, DigitsAsAPageWritesThem) {
    const struct {
        const wchar_t* text;
        uint64_t expected;
    } cases[] = {
        {L"123", 123},
        {L"  42", 42},
        {L"\t7", 7},
        {L"12abc", 12},
        {L"1\r2", 12},
        {L"", 0},
        {L"abc", 0},
        {L"-5", 0},
        {L"18446744073709551615", 18446744073709551615ull},
        {L"99999999999999999999999", 18446744073709551615ull},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.text);
        EXPECT_EQ(ReadStatedLength(testCase.text), testCase.expected);
    }
}

TEST(CarriageReturns, LeftOutOfCopiesAndCounts) {
    EXPECT_EQ(WithoutCarriageReturns(L"\rab\r\rc\r"), L"abc");
    EXPECT_EQ(CharactersWithoutCarriageReturns(L"\rab\r\rc\r"), 3u);
    EXPECT_EQ(CharactersWithoutCarriageReturns(L""), 0u);
}

}  // namespace
