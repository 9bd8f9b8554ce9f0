#include "sources/chooser_result.h"

#include <gtest/gtest.h>

namespace {

// The chooser's buffer as it writes it: the entries, each ended by a null, then a second null and
// the rest of the buffer zeroed.
std::wstring Buffer(std::initializer_list<std::wstring_view> entries, size_t size = 64) {
    std::wstring buffer;
    for (std::wstring_view entry : entries) {
        buffer += entry;
        buffer += L'\0';
    }
    buffer.resize(std::max(size, buffer.size() + 1), L'\0');
    return buffer;
}

TEST(ChosenFilePaths, OneFileOrAFolderWithNames) {
    const struct {
        const char* name;
        std::wstring buffer;
        std::vector<std::wstring> paths;
    } cases[] = {
        {"one file: its full path", Buffer({L"C:\\pictures\\a.jpg"}), {L"C:\\pictures\\a.jpg"}},
        {"several: the folder, then each name",
         Buffer({L"C:\\pictures", L"a.jpg", L"b b.png"}),
         {L"C:\\pictures\\a.jpg", L"C:\\pictures\\b b.png"}},
        {"a drive root keeps its one backslash", Buffer({L"D:\\", L"x.bmp", L"y.gif"}), {L"D:\\x.bmp", L"D:\\y.gif"}},
        {"an empty first entry is kept as it is", Buffer({L""}), {L""}},
        {"a buffer filled to its end without a second null",
         std::wstring(L"C:\\p\0a.jpg\0b.jpg", 16),
         {L"C:\\p\\a.jpg", L"C:\\p\\b.jpg"}},
        {"the first entry ends the buffer", std::wstring(L"C:\\p\\a.jpg\0", 11), {L"C:\\p\\a.jpg"}},
        {"no ended entry at all", std::wstring(L"C:\\p\\a.jpg"), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ChosenFilePaths(c.buffer), c.paths);
    }
}

}  // namespace
