#include <gtest/gtest.h>

#include "sources/picture_list.h"
#include "sources/sources_test_support.h"

namespace {

TEST(PictureListTest, KeepsPathsInCodeUnitOrderOnce) {
    struct Case {
        const char* what;
        std::vector<std::wstring> inserted;
        std::vector<std::wstring> expected;
    };
    const Case cases[] = {
        {"empty", {}, {}},
        {"capital Z before small a", {L"C:\\p\\a.png", L"C:\\p\\Z.png"}, {L"C:\\p\\Z.png", L"C:\\p\\a.png"}},
        {"case-different paths are two entries",
         {L"C:\\p\\x.png", L"C:\\p\\X.png"},
         {L"C:\\p\\X.png", L"C:\\p\\x.png"}},
        {"a path before every longer one it begins",
         {L"C:\\p\\ab", L"C:\\p\\a", L"C:\\p\\a0"},
         {L"C:\\p\\a", L"C:\\p\\a0", L"C:\\p\\ab"}},
        {"duplicates change nothing", {L"C:\\b", L"C:\\a", L"C:\\b", L"C:\\a", L"C:\\b"}, {L"C:\\a", L"C:\\b"}},
        {"backslash sorts by its code unit (0x5C), after capitals",
         {L"C:\\p_x", L"C:\\p\\x", L"C:\\pA"},
         {L"C:\\pA", L"C:\\p\\x", L"C:\\p_x"}},
        {"code units above 0x7F after ASCII",
         {L"C:\\\x00e9.png", L"C:\\z.png", L"C:\\\x4e2d.png"},
         {L"C:\\z.png", L"C:\\\x00e9.png", L"C:\\\x4e2d.png"}},
        {"descending inserts", {L"5", L"4", L"3", L"2", L"1"}, {L"1", L"2", L"3", L"4", L"5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PictureList list;
        for (const std::wstring& path : c.inserted) list.Insert(path);
        EXPECT_EQ(PathsOf(list), c.expected);
        EXPECT_EQ(list.Count(), c.expected.size());
    }
}

TEST(PictureListTest, ClearEmptiesAndAPositionPastTheEndReadsEmpty) {
    PictureList list;
    list.Insert(L"C:\\one.png");
    list.Insert(L"C:\\two.png");
    EXPECT_EQ(list.At(2), L"");
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.At(0), L"");
    list.Insert(L"C:\\three.png");
    EXPECT_EQ(PathsOf(list), std::vector<std::wstring>{L"C:\\three.png"});
}

}  // namespace
