// What the language menu lists and what the translator's tools write and report, as values.
#include "lang/language_choice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/built_program_languages.h"
#include "common/test_files.h"
#include "lang/language_archive.h"
#include "lang_test_support.h"

namespace {

std::wstring Str(const wchar_t* text) { return text != nullptr ? std::wstring(text) : L"<null>"; }

// An archive with `named` sections named "Language N\tOwn N" (each with the texts 1 and 2, the
// first one with 3 too) and a nameless one at the end. Section 1 is the reference.
std::wstring ArchiveTextWithSections(int named) {
    std::wstring text = L"\xFEFFpreamble\r\n##\r\n19=Tool 3.5\r\n25=Send it back\r\n##\r\nlicence\r\n##\r\nLizenz\r\n";
    for (int section = 0; section < named; ++section) {
        const std::wstring number = std::to_wstring(section);
        text +=
            L"##=Language " + number + L"\tOwn " + number + L"\r\n1=one " + number + L"\r\n2=two " + number + L"\r\n";
        if (section == 0) text += L"3=three\r\n";
    }
    return text + L"##\r\n\r\n";
}

std::vector<std::wstring> TextsOf(const std::vector<LanguageMenuItem>& items) {
    std::vector<std::wstring> texts;
    for (const LanguageMenuItem& item : items) texts.push_back(item.text);
    return texts;
}

class ShippedArchiveTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(LoadBuiltProgramArchive()) << "the archive of the program named by ORBELIN_EXE";
    }
    void SetUp() override {
        m_archive = LoadedLanguageArchive();
        ASSERT_NE(m_archive, nullptr);
    }

    const LanguageArchive* m_archive = nullptr;
};

TEST_F(ShippedArchiveTest, MenuListsTheElevenLanguagesInArchiveOrder) {
    const std::vector<std::wstring> expected = {L"Deutsch\tGerman / 100 %",  L"English\tEnglisch / 100 %",
                                                L"Danish\tDansk / 77 %",     L"Chinese-Traditional\t繁體中文 / 100 %",
                                                L"Korean\t한국어 / 100 %",   L"Russian\tРусский / 100 %",
                                                L"Spanish\tEspañol / 100 %", L"French\tFrançais / 100 %",
                                                L"Greek\tΕλληνικά / 100 %",  L"Bosnian\tBosanski / 100 %",
                                                L"Italian\tItaliano / 100 %"};
    const std::vector<LanguageMenuItem> items = LanguageMenuItems(*m_archive, kLanguageFrench, false);
    EXPECT_EQ(TextsOf(items), expected);
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items[i].command, 10 + static_cast<int>(i));
        EXPECT_EQ(items[i].current, i == kLanguageFrench);
    }
    EXPECT_EQ(LanguageMenuColumnBreak(*m_archive), -1) << "twelve sections fit one column";
}

TEST_F(ShippedArchiveTest, DevelopersMenuNumbersTheSections) {
    const std::vector<LanguageMenuItem> items = LanguageMenuItems(*m_archive, kLanguageEnglish, true);
    ASSERT_EQ(items.size(), 11u);
    EXPECT_EQ(items[0].text, L"0) Deutsch\tGerman | 100 %");
    EXPECT_EQ(items[2].text, L"2) Danish\tDansk | 77 %");
    EXPECT_EQ(items[10].text, L"10) Italian\tItaliano | 100 %");
}

TEST_F(ShippedArchiveTest, NoItemIsCurrentForALanguageTheArchiveLacks) {
    for (int language : {-1, 11, 12, 48, 1000}) {
        SCOPED_TRACE(language);
        for (const LanguageMenuItem& item : LanguageMenuItems(*m_archive, language, false)) EXPECT_FALSE(item.current);
    }
}

TEST(LanguageMenuItems, ShortOrMissingNameLinesGetNoItem) {
    std::wstring text = L"\xFEFF##\r\n19=T\r\n##\r\nl\r\n##\r\nL\r\n";
    text += L"##=Abcde\r\n1=x\r\n";         // five characters: too short
    text += L"##=English\tE\r\n1=one\r\n";  // six and more are listed
    text += L"##=\r\n1=empty name\r\n";
    text += L"##=Abc\tdef\r\n1=y\r\n";
    text += L"##\r\n";
    const auto archive = ArchiveFromText(text);
    ASSERT_NE(archive, nullptr);
    const std::vector<LanguageMenuItem> items = LanguageMenuItems(*archive, 0, false);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].command, 11);
    EXPECT_EQ(items[0].text, L"English\tE / 100 %");
    EXPECT_EQ(items[1].command, 13);
    EXPECT_EQ(items[1].text, L"Abc\tdef / 100 %");
    EXPECT_FALSE(items[0].current || items[1].current) << "the current section 0 has no item";
}

TEST(LanguageMenuItems, ColumnBreakFromThirteenSectionsOn) {
    const struct {
        int named;  // plus one nameless section
        int sections;
        int columnBreak;
    } cases[] = {{10, 11, -1}, {11, 12, -1}, {12, 13, 8}, {13, 14, 9}, {47, 48, 26}, {60, 48, 26}};
    for (const auto& row : cases) {
        SCOPED_TRACE(row.named);
        const auto archive = ArchiveFromText(ArchiveTextWithSections(row.named));
        ASSERT_NE(archive, nullptr);
        EXPECT_EQ(archive->SectionCount(), row.sections);
        EXPECT_EQ(LanguageMenuColumnBreak(*archive), row.columnBreak);
        const std::vector<LanguageMenuItem> items = LanguageMenuItems(*archive, 1, false);
        ASSERT_EQ(items.size(), static_cast<size_t>(row.sections - (row.named < row.sections ? 1 : 0)));
        // Section 0's text 3, which English lacks, does not count.
        EXPECT_EQ(items[0].text, L"Language 0\tOwn 0 / 100 %");
        EXPECT_EQ(items.back().command, 10 + static_cast<int>(items.size()) - 1);
    }
}

TEST(LanguageOfCommand, OnlyLanguageCommandsChooseALanguage) {
    const struct {
        int command;
        int language;
    } cases[] = {{0, -1}, {9, -1}, {10, 0}, {11, 1}, {17, 7}, {55, 45}, {57, 47}, {58, -1}, {1000, -1}, {1001, -1}};
    for (const auto& row : cases) {
        SCOPED_TRACE(row.command);
        EXPECT_EQ(LanguageOfCommand(row.command), row.language);
    }
}

TEST(TranslationTemplateFileName, BlanksBecomeUnderscoresAndTheRestStays) {
    const struct {
        const wchar_t* title;
        const wchar_t* name;
    } cases[] = {
        {L"Orbelin 2.41", L"translate_Orbelin_2.41.txt"},
        {L" Orbelin  2.41 ", L"translate__Orbelin__2.41_.txt"},
        {L"Orbelin 2.41 β\t(x64)", L"translate_Orbelin_2.41_β\t(x64).txt"},
        {L"Orbelin/2:41?", L"translate_Orbelin/2:41?.txt"},
        {L"", L"translate_.txt"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.title)));
        EXPECT_EQ(TranslationTemplateFileName(row.title), row.name);
    }
}

TEST(TranslationTemplateText, InstructionsThenTheEnglishSectionAsStored) {
    const auto archive = ArchiveFromText(ArchiveTextWithSections(2));
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(TranslationTemplateText(*archive),
              L"\r\nPlease don't forget! Write in e-mail subject: Strings for: Tool 3.5 and Language Name : German / "
              L"Deutsch \r\n\r\nSend it back\r\n\r\n##=Language 1\tOwn 1\r\n\r\nVersion=Tool 3.5\r\n\n1=one 1\r\n2=two "
              L"1\r\n\r\n\r\n");
}

TEST(TranslationReport, CompleteTranslationReportsOnlyThePercentage) {
    const auto archive = ArchiveFromText(ArchiveTextWithSections(2));
    ASSERT_NE(archive, nullptr);
    const TranslationTable table(L"1=uno\r\n2=due\r\n3=extra\r\n300=ignored\r\n");
    EXPECT_EQ(TranslationReport(*archive, table.Table()), L"100 %");
}

TEST(TranslationReport, MissingTextsAreListedWithTheirEnglishText) {
    const auto archive = ArchiveFromText(ArchiveTextWithSections(2));
    ASSERT_NE(archive, nullptr);
    const struct {
        const wchar_t* file;
        const wchar_t* report;
    } cases[] = {
        {L"1=uno\n", L"50 %\n\nmiss:\n2=two 1\n"},
        {L"1=uno\n2=\n", L"50 %\n\nmiss:\n2=two 1\n"},  // an empty text counts as missing
        {L"", L"0 %\n\nmiss:\n1=one 1\n2=two 1\n"},
        {L"1=%s %d\n2=%n\n", L"100 %"},  // texts are never format strings
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.file)));
        const TranslationTable table(row.file);
        EXPECT_EQ(TranslationReport(*archive, table.Table()), row.report);
    }
}

TEST_F(ShippedArchiveTest, ReportOnATranslationOfOnlyText1) {
    const TranslationTable table(L"1=Info\n");
    const std::wstring report = TranslationReport(*m_archive, table.Table());

    // 1 of the 116 English texts, truncated; the nine lowest missing ids with their English text.
    // The information lines of a section ("LastUpdated=...") count as its text 0.
    std::wstring expected = L"0 %\n\nmiss:\n";
    for (int id : {0, 2, 3, 4, 5, 10, 11, 12, 13}) {
        expected += std::to_wstring(id) + L"=" + Str(m_archive->SectionText(kLanguageEnglish, id)) + L"\n";
    }
    expected += L"...and...\n";
    ASSERT_EQ(report.compare(0, expected.size(), expected), 0) << report;
    EXPECT_NE(report.find(L"\n10=Forced\n11=Only on the desktop\n"), std::wstring::npos);

    // The other 106 missing ids follow in ascending order, each ended by a comma; the last is
    // the uninstaller's "These could not be removed" (248).
    const std::wstring rest = report.substr(expected.size());
    std::vector<int> ids;
    size_t at = 0;
    while (at < rest.size()) {
        const size_t comma = rest.find(L',', at);
        ASSERT_NE(comma, std::wstring::npos) << "the list ends with a comma";
        ids.push_back(std::stoi(rest.substr(at, comma - at)));
        at = comma + 1;
    }
    ASSERT_EQ(ids.size(), 106u);
    EXPECT_EQ(ids.front(), 14);
    EXPECT_EQ(ids.back(), 248);
    for (size_t i = 1; i < ids.size(); ++i) EXPECT_LT(ids[i - 1], ids[i]);
    for (int id : ids) EXPECT_NE(m_archive->SectionText(kLanguageEnglish, id), nullptr) << id;
}

TEST_F(ShippedArchiveTest, TheEnglishSectionTranslatesCompletely) {
    // The template's body is what a translator starts from: read back unchanged it is complete.
    const TranslationTable table(TranslationTemplateText(*m_archive));
    EXPECT_EQ(TranslationReport(*m_archive, table.Table()), L"100 %");
    for (int id : {1, 84, 241, 246}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(Str(table.Text(id)), Str(m_archive->SectionText(kLanguageEnglish, id)));
    }
}

TEST(TranslationTable, KeepsOnlyTheTextsOfItsEntries) {
    // Lines without a number, ids out of range and texts that a later line replaced are not kept.
    std::wstring text = L"1=first\r\n";
    text += std::wstring(100000, L'x') + L"\r\n";
    for (int i = 0; i < 1000; ++i) text += L"300=" + std::wstring(50, L'y') + L"\n";
    text += L"1=" + std::wstring(20, L'z') + L"\n2=\n";
    const TranslationTable table(text);
    EXPECT_EQ(Str(table.Text(1)), std::wstring(20, L'z'));
    EXPECT_EQ(Str(table.Text(2)), L"");
    EXPECT_EQ(table.Text(0), nullptr);
    EXPECT_EQ(table.KeptLength(), 21u + 1u);
}

TEST(TranslationTable, StopsAtTheFirstZero) {
    const TranslationTable table(
        std::wstring(L"1=one\n\0"
                     L"2=two\n",
                     13));
    EXPECT_EQ(Str(table.Text(1)), L"one");
    EXPECT_EQ(table.Text(2), nullptr);
}

}  // namespace
