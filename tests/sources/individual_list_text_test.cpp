#include <gtest/gtest.h>

#include "sources/individual_list_text.h"
#include "sources/sources_test_support.h"

namespace {

TEST(IndividualListTextTest, EveryPathEndsWithCrLf) {
    EXPECT_EQ(IndividualListText({}), L"");
    EXPECT_EQ(IndividualListText({L"C:\\a.png"}), L"C:\\a.png\r\n");
    EXPECT_EQ(IndividualListText({L"C:\\b.png", L"C:\\a.png"}), L"C:\\b.png\r\nC:\\a.png\r\n");
}

TEST(IndividualListTextTest, CandidatesAreLineEndedPiecesOfFourOrMoreCodeUnits) {
    struct Case {
        const char* what;
        std::wstring text;
        std::vector<std::wstring> expected;
    };
    const Case cases[] = {
        {"empty", L"", {}},
        {"CR LF lines", L"C:\\a.png\r\nC:\\b.png\r\n", {L"C:\\a.png", L"C:\\b.png"}},
        {"LF alone ends a line too", L"C:\\a.png\nC:\\b.png\n", {L"C:\\a.png", L"C:\\b.png"}},
        {"the last path without a line end is ignored", L"C:\\a.png\r\nC:\\b.png", {L"C:\\a.png"}},
        {"a CR alone does not end a line", L"C:\\a.png\rC:\\b.png\r\n", {L"C:\\a.pngC:\\b.png"}},
        {"CR inside a path is removed", L"C:\\a\r.png\n", {L"C:\\a.png"}},
        {"three code units or fewer are ignored", L"abc\r\nab\r\n\r\nabcd\r\nC:\\x\r\n", {L"abcd", L"C:\\x"}},
        {"four after CR removal", L"a\rb\rc\rd\n", {L"abcd"}},
        {"three after CR removal", L"a\rb\rc\r\r\n", {}},
        {"order and duplicates are kept",
         L"C:\\b.png\r\nC:\\a.png\r\nC:\\b.png\r\n",
         {L"C:\\b.png", L"C:\\a.png", L"C:\\b.png"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(IndividualListCandidates(c.text), c.expected);
    }
}

TEST(IndividualListTextTest, TextOfPathsGivesThePathsBack) {
    const std::vector<std::wstring> paths = {L"C:\\Pictures\\Z.jpg", L"D:\\a b\\\x00e9t\x00e9.png",
                                             L"\\\\server\\share\\p.gif"};
    EXPECT_EQ(IndividualListCandidates(IndividualListText(paths)), paths);
}

}  // namespace
