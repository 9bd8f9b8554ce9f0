#include "settings/settings_location.h"

#include <gtest/gtest.h>

#include <climits>
#include <ctime>
#include <string>

#include "common/test_files.h"
#include "settings/ini_file.h"

namespace {

constexpr int64_t kNow = 1'800'000'000;

// A program folder, a temporary folder and a roaming application-data folder of its own.
class LocateSettingsFileTest : public ::testing::Test {
protected:
    SettingsLocationInput Input(const std::wstring& programFileName) const {
        SettingsLocationInput input;
        input.modulePath = m_program / programFileName;
        input.tempFolder = m_temp.Path() + L"\\";
        input.appDataFolder = m_appData.Path();
        input.now = kNow;
        return input;
    }
    std::wstring ProgramIni() const { return m_program / L"Orbelin.ini"; }
    std::wstring UserIni() const { return m_appData / L"Orbelin\\Orbelin.ini"; }

    void ExpectProbedUtf16File(const std::wstring& path) {
        const auto bytes = ReadFileBytes(path);
        ASSERT_TRUE(bytes.has_value());
        EXPECT_TRUE(StartsWithUtf16Mark(*bytes));
        EXPECT_EQ(ReadIniValue(path, L"Program", L"TestIni"), std::to_wstring(kNow - 22));
    }

    TestFolder m_program{L"program"};
    TestFolder m_temp{L"temp"};
    TestFolder m_appData{L"appdata"};
};

TEST_F(LocateSettingsFileTest, PortableNameKeepsSettingsNextToTheProgram) {
    for (const wchar_t* name : {L"Orbelin_portable.exe", L"Orbelin_port.exe", L"ORBELIN_P.EXE", L"x_portable_y.exe"}) {
        SCOPED_TRACE(std::string(name, name + wcslen(name)));
        const SettingsLocation location = LocateSettingsFile(Input(name));
        EXPECT_EQ(location.path, ProgramIni());
        EXPECT_TRUE(location.inProgramFolder);
        ExpectProbedUtf16File(ProgramIni());
        EXPECT_FALSE(FileExists(UserIni()));
        DeleteFileW(ProgramIni().c_str());
    }
}

TEST_F(LocateSettingsFileTest, OtherNamesUseThePerUserFile) {
    for (const wchar_t* name : {L"Orbelin.exe", L"_portableOrbelin.exe", L"_pOrbelin.exe"}) {
        SCOPED_TRACE(std::string(name, name + wcslen(name)));
        const SettingsLocation location = LocateSettingsFile(Input(name));
        EXPECT_EQ(location.path, UserIni());
        EXPECT_FALSE(location.inProgramFolder);
        EXPECT_FALSE(FileExists(ProgramIni()));
        ExpectProbedUtf16File(UserIni());
    }
}

TEST_F(LocateSettingsFileTest, ExistingSettingsFileNextToTheProgramIsUsed) {
    ASSERT_TRUE(WriteFileBytes(ProgramIni(), Utf16FileBytes(L"[Program]\r\ncx=512\r\n")));
    const SettingsLocation location = LocateSettingsFile(Input(L"Orbelin.exe"));
    EXPECT_EQ(location.path, ProgramIni());
    EXPECT_TRUE(location.inProgramFolder);
    ExpectProbedUtf16File(ProgramIni());
    EXPECT_EQ(ReadIniValue(ProgramIni(), L"Program", L"cx"), L"512");
}

TEST_F(LocateSettingsFileTest, ReadOnlySettingsFileFallsBackUntouched) {
    const std::vector<uint8_t> original = Utf16FileBytes(L"[Program]\r\ncx=512\r\n");
    ASSERT_TRUE(WriteFileBytes(ProgramIni(), original));
    ASSERT_TRUE(SetFileAttributesW(ProgramIni().c_str(), FILE_ATTRIBUTE_READONLY));

    const SettingsLocation location = LocateSettingsFile(Input(L"Orbelin_portable.exe"));
    EXPECT_EQ(location.path, UserIni());
    EXPECT_FALSE(location.inProgramFolder);
    EXPECT_EQ(ReadFileBytes(ProgramIni()), original);
    ExpectProbedUtf16File(UserIni());
    SetFileAttributesW(ProgramIni().c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(LocateSettingsFileTest, ProgramInsideTheTemporaryFolderNeverKeepsSettingsThere) {
    // As when the program is started straight from an archive viewer.
    SettingsLocationInput input = Input(L"Orbelin_portable.exe");
    input.tempFolder = m_program.Path();  // without the final backslash: it is added for the comparison
    const SettingsLocation location = LocateSettingsFile(input);
    EXPECT_EQ(location.path, UserIni());
    EXPECT_FALSE(FileExists(ProgramIni()));
}

TEST_F(LocateSettingsFileTest, FolderNameCaseDoesNotHideTheTemporaryFolder) {
    SettingsLocationInput input = Input(L"Orbelin_portable.exe");
    std::wstring upper = m_program.Path();
    for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
    input.tempFolder = upper;
    EXPECT_EQ(LocateSettingsFile(input).path, UserIni());
}

// A stored language is used when the language menu offers it; any other number starts the
// program in the language detected from the system, as no stored language does.
TEST(StartLanguage, OnlyTheOfferedLanguagesAreTaken) {
    const struct {
        int stored, detected, used;
    } cases[] = {
        {0, 1, 0}, {10, 1, 10}, {5, 7, 5}, {11, 1, 1}, {-1, 7, 7}, {99, 0, 0}, {INT_MAX, 3, 3}, {INT_MIN, 3, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.stored) + " stored, " + std::to_string(c.detected) + " detected");
        EXPECT_EQ(StartLanguage(c.stored, c.detected), c.used);
    }
}

TEST(ConvertSettingsFileToUnicode, AnsiFileKeepsItsValues) {
    TestFolder folder(L"convert");
    const std::wstring file = folder / L"Orbelin.ini";
    // "Café" and a degree sign in the ANSI code page of the machine.
    const std::string ansi = "[Program]\r\nm_image_timer=17\r\nDDC_Font=Caf\xE9\r\nnote=20\xB0\r\n";
    ASSERT_TRUE(WriteFileBytes(file, ansi));
    wchar_t expectedFont[16] = L"";
    MultiByteToWideChar(CP_ACP, 0, "Caf\xE9", -1, expectedFont, 16);

    EXPECT_TRUE(ConvertSettingsFileToUnicode(file));
    const auto bytes = ReadFileBytes(file);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_TRUE(StartsWithUtf16Mark(*bytes));
    EXPECT_EQ(ReadIniValue(file, L"Program", L"m_image_timer"), L"17");
    EXPECT_EQ(ReadIniValue(file, L"Program", L"DDC_Font"), expectedFont);
    EXPECT_EQ(bytes->size(), 2 + 2 * (ansi.size()));
    EXPECT_FALSE(FileExists(file + L".utf16"));

    // A second run changes nothing.
    EXPECT_TRUE(ConvertSettingsFileToUnicode(file));
    EXPECT_EQ(ReadFileBytes(file), bytes);
}

TEST(ConvertSettingsFileToUnicode, Utf8FileWithMarkKeepsItsValues) {
    TestFolder folder(L"convert");
    const std::wstring file = folder / L"Orbelin.ini";
    ASSERT_TRUE(WriteFileBytes(file, std::string("\xEF\xBB\xBF[Program]\r\nDDC_Font=\xE5\xBE\xAE\xE8\xBD\xAF\r\n")));
    EXPECT_TRUE(ConvertSettingsFileToUnicode(file));
    EXPECT_EQ(ReadIniValue(file, L"Program", L"DDC_Font"), L"\x5FAE\x8F6F");
    EXPECT_TRUE(StartsWithUtf16Mark(*ReadFileBytes(file)));
}

TEST(ConvertSettingsFileToUnicode, GarbageBecomesAUsableFile) {
    TestFolder folder(L"convert");
    const std::wstring file = folder / L"Orbelin.ini";
    std::vector<uint8_t> garbage(4096);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<uint8_t>((i * 7919 + 13) % 251);
    garbage[0] = 0x00;
    ASSERT_TRUE(WriteFileBytes(file, garbage));

    EXPECT_TRUE(ConvertSettingsFileToUnicode(file));
    EXPECT_EQ(IniReadInt(L"Program", L"cx", 400, 128, 1500, file), 400);
    EXPECT_TRUE(IniWriteInt(L"Program", L"cx", 640, file));
    EXPECT_EQ(IniReadInt(L"Program", L"cx", 400, 128, 1500, file), 640);
}

TEST(ConvertSettingsFileToUnicode, MissingFileIsNotCreated) {
    TestFolder folder(L"convert");
    const std::wstring file = folder / L"Orbelin.ini";
    EXPECT_FALSE(ConvertSettingsFileToUnicode(file));
    EXPECT_FALSE(FileExists(file));
}

TEST(ConvertSettingsFileToUnicode, ReadOnlyFileIsLeftAlone) {
    TestFolder folder(L"convert");
    const std::wstring file = folder / L"Orbelin.ini";
    const std::string ansi = "[Program]\r\ncx=300\r\n";
    ASSERT_TRUE(WriteFileBytes(file, ansi));
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(ConvertSettingsFileToUnicode(file));
    EXPECT_EQ(ReadFileBytes(file), std::vector<uint8_t>(ansi.begin(), ansi.end()));
    EXPECT_FALSE(FileExists(file + L".utf16"));
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
