#include <gtest/gtest.h>

#include <windows.h>

#include "common/test_files.h"
#include "settings/ini_file.h"
#include "sources/individual_list.h"
#include "sources/sources_test_support.h"

namespace {

// Each test works on a settings file of its own (UTF-16, as the program keeps it).
class IndividualListTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_settings = m_folder / L"Orbelin.ini";
        ASSERT_TRUE(WriteFileBytes(m_settings, Utf16FileBytes(L"[Program]\r\n")));
        SetSettingsPath(m_settings);
        ASSERT_TRUE(WritePicture(First(), 40, 40, kPng));
        ASSERT_TRUE(WritePicture(Second(), 50, 40, kJpeg));
        ASSERT_TRUE(WritePicture(m_folder / L"small.png", 32, 32, kPng));
        ASSERT_TRUE(WriteFileBytes(m_folder / L"text.jpg", std::string("not a picture\r\n")));
    }
    void TearDown() override { SetSettingsPath(L""); }

    std::wstring First() const { return m_folder / L"b_first.png"; }
    std::wstring Second() const { return m_folder / L"a_second.jpg"; }

    TestFolder m_folder{L"sources_individual"};
    std::wstring m_settings;
};

TEST_F(IndividualListTest, SaveThenLoadGivesTheSameListInListOrder) {
    ASSERT_TRUE(SaveIndividualPictures({First(), Second()}));
    EXPECT_EQ(IniReadCodeSection(kIndividualListKey), First() + L"\r\n" + Second() + L"\r\n");
    // Stored encoded, in a section of its own: the file never holds the plain path.
    const std::optional<std::vector<uint8_t>> file = ReadFileBytes(m_settings);
    ASSERT_TRUE(file.has_value());
    ASSERT_TRUE(StartsWithUtf16Mark(*file));
    const std::wstring fileText(reinterpret_cast<const wchar_t*>(file->data() + 2), (file->size() - 2) / 2);
    EXPECT_NE(fileText.find(L"[Protected_User_Images_code]"), std::wstring::npos);
    EXPECT_EQ(fileText.find(First()), std::wstring::npos);
    EXPECT_EQ(fileText.find(L"b_first"), std::wstring::npos);

    PictureList list;
    list.Insert(L"C:\\left over from before");
    LoadIndividualPictures(list);
    EXPECT_EQ(PathsOf(list), (std::vector<std::wstring>{Second(), First()}));
}

TEST_F(IndividualListTest, SavingReplacesTheWholeList) {
    ASSERT_TRUE(SaveIndividualPictures({First(), Second()}));
    ASSERT_TRUE(SaveIndividualPictures({Second()}));
    PictureList list;
    LoadIndividualPictures(list);
    EXPECT_EQ(PathsOf(list), std::vector<std::wstring>{Second()});
    ASSERT_TRUE(SaveIndividualPictures({}));
    LoadIndividualPictures(list);
    EXPECT_EQ(list.Count(), 0u);
}

TEST_F(IndividualListTest, MissingAndNonPictureFilesAreSkippedAndTheStoredTextKept) {
    const std::vector<std::wstring> saved = {m_folder / L"missing.png", First(),  m_folder / L"small.png",
                                             m_folder / L"text.jpg",    Second(), First()};
    ASSERT_TRUE(SaveIndividualPictures(saved));
    const std::wstring storedBefore = IniReadCodeSection(kIndividualListKey);
    PictureList list;
    LoadIndividualPictures(list);
    EXPECT_EQ(PathsOf(list), (std::vector<std::wstring>{Second(), First()}));
    EXPECT_EQ(IniReadCodeSection(kIndividualListKey), storedBefore);
}

TEST_F(IndividualListTest, LastPathWithoutLineEndAndShortEntriesAreIgnored) {
    // Pictures with names of three and four characters, reached relative to the current folder,
    // so that only the length of the stored entry decides.
    ASSERT_TRUE(WritePicture(m_folder / L"abc", 40, 40, kPng));
    ASSERT_TRUE(WritePicture(m_folder / L"abcd", 40, 40, kPng));
    wchar_t previous[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, previous), 0u);
    ASSERT_TRUE(SetCurrentDirectoryW(m_folder.Path().c_str()));

    ASSERT_TRUE(IniWriteCodeSection(kIndividualListKey, L"abc\r\nabcd\r\n" + First() + L"\r\n" + Second()));
    PictureList list;
    LoadIndividualPictures(list);
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(PathsOf(list), (std::vector<std::wstring>{First(), L"abcd"}));
}

TEST_F(IndividualListTest, NothingStoredOrAValueThatDoesNotDecodeGivesAnEmptyList) {
    PictureList list;
    list.Insert(First());
    LoadIndividualPictures(list);
    EXPECT_EQ(list.Count(), 0u);

    // A plain path that was never encoded.
    const std::wstring plain = First() + L"=\r\n";
    std::wstring section = plain;
    section.push_back(L'\0');
    ASSERT_TRUE(WritePrivateProfileSectionW(L"Protected_User_Images_code", section.c_str(), m_settings.c_str()));
    list.Insert(First());
    LoadIndividualPictures(list);
    EXPECT_EQ(list.Count(), 0u);
}

}  // namespace
