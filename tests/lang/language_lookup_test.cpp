#include "lang/language_archive.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "common/built_program_languages.h"
#include "common/test_files.h"
#include "lang_test_support.h"

namespace {

std::wstring Str(const wchar_t* text) { return text != nullptr ? std::wstring(text) : L"<null>"; }

// Each test loads the built program's archive into the process and leaves the language and
// translation state as it found it.
class LangTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadBuiltProgramArchive()) << "the archive of the program named by ORBELIN_EXE";
        m_savedLanguage = CurrentLanguageIndex();
    }
    void TearDown() override {
        DeactivateTranslation();
        SetCurrentLanguageIndex(m_savedLanguage);
    }

    int m_savedLanguage = kLanguageEnglish;
};

TEST_F(LangTextTest, FollowsTheCurrentLanguageWithEnglishAsFallback) {
    const LanguageArchive* archive = LoadedLanguageArchive();
    ASSERT_NE(archive, nullptr);
    const struct {
        int language;
        int id;
        const wchar_t* expected;
    } cases[] = {
        {kLanguageEnglish, 84, L"Image source"},
        {kLanguageGerman, 84, L"Bildquelle"},
        {kLanguageFrench, 52, L"Quitter"},
        // Danish leaves the command-line texts out: English stands in.
        {kLanguageDanish, 187, L"Orbelin.exe Command-Line Options:"},
        {kLanguageDanish, 52, L"Afslut"},
        {-1, 84, L"Image source"},
        {48, 84, L"Image source"},
        {11, 84, L"Image source"},      // the nameless trailing section
        {12, 84, L"Image source"},      // beyond the section count
        {kLanguageGerman, 6, nullptr},  // English has no text 6 either
        {kLanguageEnglish, 256, nullptr},
        {kLanguageEnglish, -1, nullptr},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(std::to_string(testCase.language) + " / " + std::to_string(testCase.id));
        SetCurrentLanguageIndex(testCase.language);
        EXPECT_EQ(CurrentLanguageIndex(), testCase.language);
        const wchar_t* text = LangText(testCase.id);
        if (testCase.expected == nullptr) {
            EXPECT_EQ(text, nullptr);
            continue;
        }
        EXPECT_EQ(Str(text), testCase.expected);
        // A pointer into the loaded text: nothing was allocated or copied for the lookup.
        EXPECT_TRUE(PointsIntoArchive(*archive, text));
        EXPECT_EQ(LangText(testCase.id), text);
    }
}

TEST_F(LangTextTest, HeaderTextsComeFromTheArchive) {
    const LanguageArchive* archive = LoadedLanguageArchive();
    ASSERT_NE(archive, nullptr);
    for (int number : {19, 20, 21, 22, 23, 24, 25}) {
        SCOPED_TRACE(number);
        ASSERT_NE(LangHeaderText(number), nullptr);
        EXPECT_TRUE(PointsIntoArchive(*archive, LangHeaderText(number)));
    }
    EXPECT_EQ(LangHeaderText(0), nullptr);
    EXPECT_EQ(LangHeaderText(128), nullptr);
}

TEST_F(LangTextTest, AnActiveTranslationAnswersEveryId) {
    SetCurrentLanguageIndex(kLanguageGerman);
    auto table = std::make_unique<TranslationTable>(L"1=Uno\r\n83=Selezione\r\n");
    const TranslationTable* active = table.get();
    ActivateTranslation(std::move(table));
    EXPECT_EQ(ActiveTranslation(), active);

    EXPECT_EQ(Str(LangText(1)), L"Uno");
    EXPECT_EQ(LangText(83), active->Text(83));
    // Missing in the translation: never the archive's text, but its id.
    EXPECT_EQ(Str(LangText(84)), L"str:84?");
    EXPECT_EQ(Str(LangText(6)), L"str:6?");
    const wchar_t* missing = LangText(300);
    EXPECT_EQ(Str(missing), L"str:300?");
    // The next miss on this thread reuses the same buffer.
    EXPECT_EQ(LangText(92), missing);
    EXPECT_EQ(Str(missing), L"str:92?");

    DeactivateTranslation();
    EXPECT_EQ(ActiveTranslation(), nullptr);
    EXPECT_EQ(Str(LangText(84)), L"Bildquelle");
}

TEST_F(LangTextTest, MissesOnOtherThreadsUseBuffersOfTheirOwn) {
    ActivateTranslation(std::make_unique<TranslationTable>(L"1=only\r\n"));
    const wchar_t* mainMiss = LangText(84);
    const wchar_t* workerMiss = nullptr;
    std::wstring workerText;
    std::thread worker([&] {
        workerMiss = LangText(87);
        workerText = workerMiss;
    });
    worker.join();
    EXPECT_NE(workerMiss, mainMiss);
    EXPECT_EQ(workerText, L"str:87?");
    EXPECT_EQ(Str(mainMiss), L"str:84?") << "another thread's miss overwrote this thread's text";
}

TEST(LoadLanguageArchiveFromFile, FailsWithoutAnArchive) {
    TestFolder folder(L"lang_load");
    const std::vector<uint8_t> noMarkers(5000, 'x');
    ASSERT_TRUE(WriteFileBytes(folder / L"plain.exe", noMarkers));
    EXPECT_FALSE(LoadLanguageArchiveFromFile(folder / L"plain.exe"));
    EXPECT_FALSE(LoadLanguageArchiveFromFile(folder / L"missing.exe"));
    ASSERT_TRUE(WriteFileBytes(folder / L"empty.exe", std::vector<uint8_t>()));
    EXPECT_FALSE(LoadLanguageArchiveFromFile(folder / L"empty.exe"));
}

}  // namespace
