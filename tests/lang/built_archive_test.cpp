// Checks of the archive that the build put into Orbelin.exe and of its texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "common/built_program_languages.h"
#include "common/test_files.h"
#include "lang/archive_container.h"
#include "lang/language_archive.h"
#include "lang/lzari_decoder.h"
#include "lang_test_support.h"
#include "maker.h"
#include "version.h"

namespace {

std::wstring Str(const wchar_t* text) { return text != nullptr ? std::wstring(text) : L"<null>"; }

size_t Occurrences(const std::vector<uint8_t>& bytes, const std::string& pattern) {
    size_t count = 0;
    auto at = bytes.begin();
    while ((at = std::search(at, bytes.end(), pattern.begin(), pattern.end())) != bytes.end()) {
        ++count;
        ++at;
    }
    return count;
}

size_t Occurrences(const std::wstring& text, const std::wstring& pattern) {
    size_t count = 0;
    for (size_t at = text.find(pattern); at != std::wstring::npos; at = text.find(pattern, at + 1)) ++count;
    return count;
}

// The texts of the English section, by id, exactly as the program shows them. Ids 2, 3 and 241
// are the program's own wording and are checked by content below.
const struct {
    int id;
    const wchar_t* text;
} kEnglishTexts[] = {
    {1, L"Info"},
    {4,
     L"Please place your individual pictures on the window (drag & drop), you can use up to XX pictures or use "
     L"the \"...\" button."},
    {5, L"With the delete button you can remove single or several marked images from the list (no deletion)!"},
    {10, L"Forced"},
    {11, L"Only on the desktop"},
    {12, L"With screen saver"},
    {13, L"Random position"},
    {14, L"Always in the foreground"},
    {15, L"Ready"},
    {19, L"Restart the Program"},
    {20, L"&Convert"},
    {21, L"&Cancel"},
    {22, L"License"},
    {25, L"Donate"},
    {26, L"Size"},
    {27, L"center of the screen"},
    {28, L"Transparency"},
    {29, L"Fixed at that position"},
    {30, L"Theme"},
    {31, L"Always on Top"},
    {32, L"Start with Windows"},
    {33, L"Items"},
    {34, L"None"},
    {35, L"If mouse events"},
    {36, L"If pressing a key"},
    {37, L"If pressing a key or mouse events"},
    {38, L"Deactivation"},
    {39, L"Attention"},
    {40, L"Info!"},
    {41, L"Currently up to XX images"},
    {42, L"The picture list could not be saved: the settings file cannot be written."},
    {43, L"The translation file is too large (more than 16 MB) and was not loaded."},
    {48, L"Shuffle"},
    {51, L"To-Tray"},
    {52, L"Exit"},
    {53, L"Disable"},
    {54, L"Exit"},
    {56, L"Color"},
    {57, L"Reset"},
    {61, L"Show Date"},
    {62, L"Delete"},
    {66, L"Rotation Speed"},
    {70, L"3D cube"},
    {71, L"Rocking 3D cube "},
    {72, L"Rotating square"},
    {80, L"Images"},
    {81, L"Example images"},
    {82, L"Pictures from a folder"},
    {83, L"Individual picture selection"},
    {84, L"Image source"},
    {85, L"Image exchange"},
    {86, L"sec."},
    {87, L"The images are loaded"},
    {88, L"Aspect ratio "},
    {89, L"Keep "},
    {90, L"Keep and stretch"},
    {92, L"No images found"},
    {93, L"Klick the \"...\" button"},
    {100,
     L"When enabled, the Orbelin stops responding to the mouse and the objects behind it, such as the desktop "
     L"icons, are accessible."},
    {187, L"Orbelin.exe Command-Line Options:"},
    {188, L"-bg\t(Start To-Tray)"},
    {189, L"hide\t(Start Hidden)"},
    {190, L"-ini://path-toini/xxx.ini"},
    {191, L"More info in FAQ via #? button?"},
    {200, L"Language"},
    {201, L"Install"},
    {202, L"Uninstall"},
    {203, L"Auto Update"},
    {204, L"Desktop shortcut"},
    {205, L"Shortcut in the Start menu"},
    {206, L"Install for all user on this computer"},
    {207, L"Start with Windows"},
    {208, L"Folder"},
    {209, L"Cancel"},
    {210, L"... Change"},
    {211, L"Portable installation"},
    {212, L"... EULA"},
    {213, L"The folder can't be created in the location"},
    {214, L"Run as administrator?"},
    {215, L"An error occurred while creating the"},
    {216,
     L"You don't have administrative privileges\\n#APP# must not be installed, for example, simply copy "
     L"#APP#_Install.exe to the desktop, rename to #APP#.exe  and GO."},
    {217, L"The \"%s\" already exists. \\n Overwrite existing file?"},
    {218, L"The directory \"%s\" already exists \\n Overwrite directory and existing file?"},
    {219, L"The configuration file (INI) will be not overwritten!"},
    {220, L"Installing as administrator"},
    {221, L"Please close the program"},
    {222, L"File access error"},
    {223, L"The installation folder must be given with its full path, beginning with a drive or a network share"},
    {224, L"This folder holds no installation information, nothing was removed"},
    {225, L"Important: Please use the x64 for x64 operating systems!"},
    {226, L"#APP# XX could not be installed."},
    {227, L"A program file cannot replace itself."},
    {228, L"The program file to be replaced was not found."},
    {229, L"The file to be replaced is not a program of #APP#."},
    {230, L"The received file is not version XX of #APP#."},
    {231, L"The program to be replaced is version XX: only a newer version can replace it."},
    {232, L"The running program did not end within 20 seconds."},
    {233, L"The new program file could not be copied beside the old one."},
    {234, L"The program file could not be replaced."},
    {235, L"The program stays as it was:"},
    {236, L"The old program file could not be put back. It is kept as:"},
    {237, L"Please give it back its name:"},
    {238, L"#APP# XX is installed but could not be started:"},
    {239, L"The program is installed, but these parts could not be made"},
    {248, L"These could not be removed"},
    {240, L"Juhuuuu I found #AP#!"},
    {242, L"Recommend #AP# "},
    {243, L"Send #AP# via e-mail"},
    {244, L"FAQ"},
    {245, L"History"},
    {246, L"Homepage"},
    {247, L"Check for updates"},
};

class BuiltArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_programPath = BuiltProgramPath();
        ASSERT_FALSE(m_programPath.empty()) << "ORBELIN_EXE is not set";
        ASSERT_TRUE(LoadBuiltProgramArchive());
        m_archive = LoadedLanguageArchive();
        ASSERT_NE(m_archive, nullptr);
    }

    std::wstring m_programPath;
    const LanguageArchive* m_archive = nullptr;
};

TEST_F(BuiltArchiveTest, MarkersStandWholeOnlyAroundTheArchive) {
    const std::string start = ArchiveStartMarker();
    const std::string end = ArchiveEndMarker();
    ASSERT_EQ(start.size(), 45u);
    ASSERT_EQ(end.size(), 44u);
    // Pieced together here too, so that this file holds no whole marker either.
    const std::string letters = "SDSGDGSDHREETETBCNMJUKR";
    std::string expectedStart = "\n<!- ";
    expectedStart.append(6, '-').append(letters).append(10, '-').append("\n");
    std::string expectedEnd = "\n";
    expectedEnd.append(7, '-').append(letters).append(8, '-').append(" --").append(">\n");
    EXPECT_EQ(start, expectedStart);
    EXPECT_EQ(end, expectedEnd);

    const auto program = ReadFileBytes(m_programPath);
    ASSERT_TRUE(program.has_value());
    EXPECT_EQ(Occurrences(*program, start), 1u);
    EXPECT_EQ(Occurrences(*program, end), 1u);
    const auto place = FindArchivePayload(program->data(), program->size());
    ASSERT_TRUE(place.has_value());
    RecordProperty("payload_bytes", static_cast<int>(place->length));

    // The payload decodes to exactly the text the packer wrote.
    const auto text = ReadFileNamedBy("ORBELIN_LANGUAGE_TEXT");
    ASSERT_TRUE(text.has_value());
    LZARI decoder(program->data() + place->offset, place->length);
    ASSERT_EQ(decoder.DecodedSize(), text->size());
    std::vector<uint8_t> decoded(text->size() + 2);
    decoded.resize(decoder.Decode(decoded.data(), decoded.size()));
    ASSERT_GE(decoded.size(), text->size());
    decoded.resize(text->size());
    EXPECT_TRUE(decoded == *text);
    EXPECT_TRUE(decoded[0] == 0xFF && decoded[1] == 0xFE) << "the text begins with its byte-order mark";
}

TEST_F(BuiltArchiveTest, HasElevenNamedSectionsAndOneNameless) {
    EXPECT_EQ(m_archive->SectionCount(), 12);
    // German and English name each other; every other section gives the name of the language
    // list first and the language's own name second.
    const wchar_t* names[] = {
        L"Deutsch\tGerman", L"English\tEnglisch", L"Danish\tDansk",    L"Chinese-Traditional\t繁體中文",
        L"Korean\t한국어",  L"Russian\tРусский",  L"Spanish\tEspañol", L"French\tFrançais",
        L"Greek\tΕλληνικά", L"Bosnian\tBosanski", L"Italian\tItaliano"};
    for (int section = 0; section < 11; ++section) {
        SCOPED_TRACE(section);
        EXPECT_EQ(Str(m_archive->NameLine(section)), names[section]);
        EXPECT_EQ(m_archive->Completeness(section), section == kLanguageDanish ? 77 : 100);
    }
    EXPECT_EQ(m_archive->NameLine(11), nullptr);
    EXPECT_EQ(m_archive->Completeness(11), 0);
}

TEST_F(BuiltArchiveTest, EnglishHasExactlyTheProgramsTexts) {
    std::set<int> expectedIds = {0, 2, 3, 241};
    for (const auto& entry : kEnglishTexts) {
        SCOPED_TRACE(entry.id);
        expectedIds.insert(entry.id);
        EXPECT_EQ(Str(m_archive->SectionText(kLanguageEnglish, entry.id)), entry.text);
    }
    std::set<int> definedIds;
    for (int id = 0; id < kTextIdCount; ++id) {
        const wchar_t* text = m_archive->SectionText(kLanguageEnglish, id);
        if (text != nullptr && text[0] != L'\0') definedIds.insert(id);
    }
    EXPECT_EQ(definedIds, expectedIds);
    EXPECT_EQ(definedIds.size(), 116u);

    for (int id : {2, 3}) {
        const std::wstring text = Str(m_archive->SectionText(kLanguageEnglish, id));
        EXPECT_NE(text.find(L"Orbelin"), std::wstring::npos) << id;
        EXPECT_GT(text.size(), 40u) << id;
    }
    const std::wstring mail = Str(m_archive->SectionText(kLanguageEnglish, 241));
    for (const wchar_t* part : {L"I found #AP#\\r\\n", L"\\r\\n.....", L"website: #IN#\\r\\n",
                                ORBELIN_MAKER_WEB_INTERNATIONAL L"/?seite=Freeware/Orbelin"}) {
        EXPECT_NE(mail.find(part), std::wstring::npos) << part;
    }
    EXPECT_EQ(mail.find(L"\r"), std::wstring::npos) << "body texts keep their escapes";
}

TEST_F(BuiltArchiveTest, EveryLanguageTranslatesEveryTextWithItsPlaceholders) {
    const wchar_t* placeholders[] = {L"XX", L"#APP#", L"#AP#", L"#IN#", L"%s", L"\\n", L"\t"};
    for (int section = 0; section < 11; ++section) {
        if (section == kLanguageEnglish) continue;
        SCOPED_TRACE(Str(m_archive->NameLine(section)));
        int translated = 0;
        for (int id = 0; id < kTextIdCount; ++id) {
            const wchar_t* english = m_archive->SectionText(kLanguageEnglish, id);
            const wchar_t* text = m_archive->SectionText(section, id);
            if (text == nullptr) continue;
            SCOPED_TRACE(id);
            ASSERT_NE(english, nullptr) << "an id that English does not have";
            ASSERT_NE(text[0], L'\0');
            ++translated;
            if (id == 0) continue;  // the information lines
            EXPECT_NE(std::wstring(text), std::wstring(english)) << "English text in place of a translation";
            for (const wchar_t* placeholder : placeholders) {
                EXPECT_EQ(Occurrences(text, placeholder), Occurrences(english, placeholder)) << placeholder;
            }
            EXPECT_EQ(std::wstring(text).back() == L' ', std::wstring(english).back() == L' ') << "trailing blank";
        }
        // Danish lacks 26 texts, among them "Check for updates" (247), three of the update start's
        // messages and the installer's list of what it could not make (239), and stays at 77 %.
        EXPECT_EQ(translated, section == kLanguageDanish ? 90 : 116);
    }
}

TEST_F(BuiltArchiveTest, HeaderNamesTheProgramAndItsMaker) {
    const std::wstring version = std::to_wstring(ORBELIN_VERSION_MAJOR) + L"." + std::to_wstring(ORBELIN_VERSION_MINOR);
    EXPECT_EQ(Str(LangHeaderText(19)), L"Orbelin " + version);
    EXPECT_EQ(Str(LangHeaderText(20)), ORBELIN_MAKER_WEB_GERMAN);
    EXPECT_EQ(Str(LangHeaderText(21)), ORBELIN_MAKER_WEB_INTERNATIONAL);
    EXPECT_EQ(Str(LangHeaderText(23)), ORBELIN_MAKER_WEB_GERMAN L"/?seite=Freeware/Orbelin");
    EXPECT_EQ(Str(LangHeaderText(24)), ORBELIN_MAKER_WEB_INTERNATIONAL L"/?seite=Freeware/Orbelin");
    const std::wstring makerLine = Str(LangHeaderText(22));
    EXPECT_NE(makerLine.find(ORBELIN_MAKER_NAME), std::wstring::npos);
    // The footer appends the regional top-level suffix to this line.
    EXPECT_EQ(makerLine.substr(makerLine.size() - 9), L"kestrova.");
    const std::wstring request = Str(LangHeaderText(25));
    EXPECT_EQ(Occurrences(request, L"\r\n"), 2u) << "escapes become CR LF in header texts";
    EXPECT_EQ(request.find(L"\\r"), std::wstring::npos);
    EXPECT_EQ(Str(m_archive->EnglishLicence()).find(L"Orbelin"), 0u);
    EXPECT_NE(Str(m_archive->GermanLicence()).find(L"Lizenz"), std::wstring::npos);
}

TEST_F(BuiltArchiveTest, EnglishBodyCopyIsTheSectionAsStored) {
    const std::wstring& body = m_archive->EnglishBody();
    ASSERT_FALSE(body.empty());
    // It begins with the line feed that ended the name line.
    EXPECT_EQ(body.rfind(L"\nTranslatorName=Kestrova\r\n", 0), 0u);
    EXPECT_NE(body.find(L"\r\n84=Image source\r\n"), std::wstring::npos);
    EXPECT_NE(body.find(L"\r\n[Installer]\r\n"), std::wstring::npos);
    EXPECT_EQ(Occurrences(body, L"\r\n"), Occurrences(body, L"\n") - 1);
}

}  // namespace
