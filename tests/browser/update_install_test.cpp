#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "common/module_path.h"
#include "common/system_folders.h"
#include "common/test_files.h"
#include "common/unique_handle.h"
#include "lang/language_archive.h"
#include "browser/program_identity.h"
#include "browser/setup_test_support.h"
#include "browser/update_install.h"
#include "browser/update_start_arguments.h"
#include "browser/update_target_rules.h"
#include "version.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class ReplaceProgramFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteFileBytes(m_program, Bytes("old program")));
        ASSERT_TRUE(WriteFileBytes(m_newProgram, Bytes("new program")));
    }
    // Nothing but the two programs (and the user's `others`) is left in the folder.
    void ExpectNoLeftovers(std::vector<std::wstring> others = {}) {
        others.push_back(L"Orbelin.exe");
        others.push_back(L"Orbelin_Autoupdate.exe");
        std::sort(others.begin(), others.end());
        EXPECT_EQ(EntryNamesIn(m_folder.Path()), others);
    }

    TestFolder m_folder{L"replace"};
    std::wstring m_program = m_folder / L"Orbelin.exe";
    std::wstring m_newProgram = m_folder / L"Orbelin_Autoupdate.exe";
};

TEST_F(ReplaceProgramFileTest, TheNewFileTakesThePlaceAndTheUsersFilesStay) {
    // Files of the user's own that carry the names an update once used beside the program.
    ASSERT_TRUE(WriteFileBytes(m_program + L".new", Bytes("the user's new")));
    ASSERT_TRUE(WriteFileBytes(m_program + L".old", Bytes("the user's old")));
    const ReplaceOutcome outcome = ReplaceProgramFile(m_program, m_newProgram);
    EXPECT_EQ(outcome.result, ReplaceResult::kReplaced);
    EXPECT_TRUE(outcome.keptAs.empty());
    EXPECT_EQ(ReadFileBytes(m_program), Bytes("new program"));
    EXPECT_EQ(ReadFileBytes(m_newProgram), Bytes("new program"));
    EXPECT_EQ(ReadFileBytes(m_program + L".new"), Bytes("the user's new"));
    EXPECT_EQ(ReadFileBytes(m_program + L".old"), Bytes("the user's old"));
    ExpectNoLeftovers({L"Orbelin.exe.new", L"Orbelin.exe.old"});
}

TEST_F(ReplaceProgramFileTest, TheSideFilesHaveNamesNoFileHad) {
    std::vector<std::pair<std::wstring, std::wstring>> moves;
    const FileMove recordingMove = [&](const std::wstring& from, const std::wstring& to) {
        moves.emplace_back(from, to);
        EXPECT_FALSE(FileExists(to)) << to;
        return MoveFileWithoutReplacing(from, to);
    };
    ASSERT_EQ(ReplaceProgramFile(m_program, m_newProgram, recordingMove).result, ReplaceResult::kReplaced);
    // Aside, then the copy into the place.
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0].first, m_program);
    EXPECT_EQ(moves[1].second, m_program);
    const std::wstring previous = moves[0].second;
    const std::wstring copy = moves[1].first;
    EXPECT_EQ(previous.rfind(m_program + L".", 0), 0u) << previous;
    EXPECT_TRUE(EndsWith(previous, L".update-old")) << previous;
    EXPECT_TRUE(EndsWith(copy, L".update-new")) << copy;
    EXPECT_EQ(copy.substr(0, copy.size() - 4), previous.substr(0, previous.size() - 4));
    ExpectNoLeftovers();
}

TEST_F(ReplaceProgramFileTest, AMissingNewFileChangesNothing) {
    EXPECT_EQ(ReplaceProgramFile(m_program, m_folder / L"missing.exe").result, ReplaceResult::kCopyFailed);
    EXPECT_EQ(ReadFileBytes(m_program), Bytes("old program"));
    ExpectNoLeftovers();
}

TEST_F(ReplaceProgramFileTest, AnOldFileThatCannotBeMovedStays) {
    // Opened without sharing deletion, as a running program file is held.
    UniqueHandle held(CreateFileW(m_program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.IsValid());
    EXPECT_EQ(ReplaceProgramFile(m_program, m_newProgram).result, ReplaceResult::kSwapFailed);
    held.Reset();
    EXPECT_EQ(ReadFileBytes(m_program), Bytes("old program"));
    ExpectNoLeftovers();
}

TEST_F(ReplaceProgramFileTest, AFailedSwapSaysWhetherTheOldFileIsBack) {
    // The copy cannot take the old file's place; the move back works or fails as well.
    for (bool moveBackWorks : {true, false}) {
        SCOPED_TRACE(moveBackWorks ? "the old file goes back" : "the old file cannot go back");
        int moveNumber = 0;
        const FileMove failingMove = [&](const std::wstring& from, const std::wstring& to) {
            ++moveNumber;
            if (moveNumber == 2 || (moveNumber == 3 && !moveBackWorks)) return false;
            return MoveFileWithoutReplacing(from, to);
        };
        const ReplaceOutcome outcome = ReplaceProgramFile(m_program, m_newProgram, failingMove);
        EXPECT_EQ(moveNumber, 3);
        if (moveBackWorks) {
            EXPECT_EQ(outcome.result, ReplaceResult::kSwapFailed);
            EXPECT_TRUE(outcome.keptAs.empty());
            EXPECT_EQ(ReadFileBytes(m_program), Bytes("old program"));
            ExpectNoLeftovers();
        } else {
            EXPECT_EQ(outcome.result, ReplaceResult::kOldFileKeptAside);
            EXPECT_FALSE(FileExists(m_program));
            EXPECT_EQ(ReadFileBytes(outcome.keptAs), Bytes("old program")) << outcome.keptAs;
            // Only the old file, under its side name, and the received one are there; the copy went.
            const size_t cut = outcome.keptAs.find_last_of(L'\\');
            std::vector<std::wstring> expected = {outcome.keptAs.substr(cut + 1), L"Orbelin_Autoupdate.exe"};
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(EntryNamesIn(m_folder.Path()), expected);
            // Put back for the next row.
            ASSERT_TRUE(MoveFileW(outcome.keptAs.c_str(), m_program.c_str()));
        }
    }
}

TEST(WaitUntilWritable, WaitsForTheHolderAndNoLonger) {
    TestFolder folder(L"wait");
    const std::wstring path = folder / L"Orbelin.exe";
    ASSERT_TRUE(WriteFileBytes(path, Bytes("x")));
    UniqueHandle held(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.IsValid());

    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(WaitUntilWritable(path, 600));
    EXPECT_GE(GetTickCount64() - start, 600u);

    std::thread releaser([&] {
        Sleep(500);
        held.Reset();
    });
    EXPECT_TRUE(WaitUntilWritable(path, 10000));
    releaser.join();
    EXPECT_FALSE(WaitUntilWritable(folder / L"missing.exe", 0));
}

TEST(UpdateStartArguments, ParametersAndTheirReading) {
    const std::wstring path = L"C:\\Program Files (x86)\\Orbelin\\Orbelin.exe";
    const std::wstring parameters = UpdateStartParameters(path, L"2.1.0");
    EXPECT_EQ(parameters, L"Path=\"C:\\Program Files (x86)\\Orbelin\\Orbelin.exe\" Version=\"2.1.0\" ");
    const auto request = ParseUpdateStartArguments(parameters);
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->programPath, path);
    EXPECT_EQ(request->version, L"2.1.0");

    const struct {
        const wchar_t* commandLine;
        const wchar_t* path;  // null: no update start
        const wchar_t* version;
    } cases[] = {
        {L"Path=\"D:\\a b\\c:d.exe\"", L"D:\\a b\\c:d.exe", L""},
        {L"  Version=\"3\"   Path=C:\\x.exe  ", L"C:\\x.exe", L"3"},
        {L"-bg Path=\"C:\\x.exe\" Version=\"1 beta\"", L"C:\\x.exe", L"1 beta"},
        {L"Path=\"C:\\first.exe\" Path=\"C:\\second.exe\"", L"C:\\first.exe", L""},
        {L"Path=\"\" Version=\"1\"", nullptr, nullptr},
        {L"Version=\"1\"", nullptr, nullptr},
        {L"path=\"C:\\x.exe\"", nullptr, nullptr},
        {L"XPath=\"C:\\x.exe\"", nullptr, nullptr},
        {L"Glimmerpane:33", nullptr, nullptr},
        {L"", nullptr, nullptr},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.commandLine);
        const auto parsed = ParseUpdateStartArguments(testCase.commandLine);
        ASSERT_EQ(parsed.has_value(), testCase.path != nullptr);
        if (!parsed) continue;
        EXPECT_EQ(parsed->programPath, testCase.path);
        EXPECT_EQ(parsed->version, testCase.version);
    }
}

TEST(IsReceivedUpdateFile, OnlyTheReceivedFileInAFolderOfItsOwn) {
    const std::wstring temp = L"C:\\users\\me\\Temp\\";
    const struct {
        const wchar_t* path;
        bool received;
    } cases[] = {
        {L"C:\\users\\me\\Temp\\Orbelin_update_0a1b2c3d\\Orbelin_Autoupdate.exe", true},
        {L"c:\\USERS\\me\\temp\\ORBELIN_UPDATE_0A1B2C3D\\orbelin_autoupdate.EXE", true},
        {L"C:\\users\\me\\Temp\\Orbelin_Autoupdate.exe", false},
        {L"C:\\users\\me\\Temp\\Orbelin_update_0a1b2c3\\Orbelin_Autoupdate.exe", false},
        {L"C:\\users\\me\\Temp\\Orbelin_update_0a1b2c3g\\Orbelin_Autoupdate.exe", false},
        {L"C:\\users\\me\\Temp\\Orbelin_update_0a1b2c3d0\\Orbelin_Autoupdate.exe", false},
        {L"C:\\users\\me\\Temp\\Orbelin_update_0a1b2c3d\\Orbelin.exe", false},
        {L"C:\\users\\me\\Temp\\Orbelin_update_0a1b2c3d\\x\\Orbelin_Autoupdate.exe", false},
        {L"C:\\users\\me\\Temp\\x\\Orbelin_update_0a1b2c3d\\Orbelin_Autoupdate.exe", false},
        {L"D:\\Orbelin_update_0a1b2c3d\\Orbelin_Autoupdate.exe", false},
        {L"C:\\Program Files\\Orbelin\\Orbelin.exe", false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.path);
        EXPECT_EQ(IsReceivedUpdateFile(testCase.path, temp), testCase.received);
    }
    EXPECT_FALSE(IsReceivedUpdateFile(cases[0].path, L"C:\\users\\me\\Temp"));
    EXPECT_FALSE(IsReceivedUpdateFile(cases[0].path, L""));

    // The folders that CreateOwnTemporaryFolder makes are such folders.
    const std::wstring folder = CreateOwnTemporaryFolder(kUpdateFolderPrefix);
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(IsReceivedUpdateFile(folder + kReceivedUpdateFileName, TemporaryFolderPath())) << folder;
    RemoveDirectoryW(folder.c_str());
}

TEST(ProgramVersion, ParsingAndText) {
    const struct {
        const wchar_t* text;
        std::optional<ProgramVersion> version;
    } cases[] = {
        {L"1.0.1", ProgramVersion{1, 0, 1, 0}},
        {L"2", ProgramVersion{2, 0, 0, 0}},
        {L"1.2.3.4", ProgramVersion{1, 2, 3, 4}},
        {L"65535.0.0", ProgramVersion{65535, 0, 0, 0}},
        {L"010.2", ProgramVersion{10, 2, 0, 0}},
        {L"65536", std::nullopt},
        {L"1.2.3.4.5", std::nullopt},
        {L"1..2", std::nullopt},
        {L"1.2.", std::nullopt},
        {L".1", std::nullopt},
        {L"1.0 beta", std::nullopt},
        {L"v1.0", std::nullopt},
        {L" 1.0", std::nullopt},
        {L"-1", std::nullopt},
        {L"9.9\x0661", std::nullopt},  // an Arabic-Indic digit is no digit here
        {L"", std::nullopt},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.text);
        EXPECT_EQ(ParseProgramVersion(testCase.text), testCase.version);
    }
    EXPECT_EQ(ProgramVersionText({1, 0, 1, 0}), L"1.0.1");
    EXPECT_EQ(ProgramVersionText({1, 0, 1, 7}), L"1.0.1.7");
}

TEST(CheckUpdateTarget, OnlyAnOlderCopyOfThisProgramByTheNamedVersion) {
    const ProgramIdentity next{L"Orbelin", {1, 0, 1, 0}};
    const ProgramIdentity current{L"Orbelin", {1, 0, 0, 0}};
    const ProgramIdentity older{L"Orbelin", {0, 9, 12, 0}};
    const ProgramIdentity newerBuild{L"Orbelin", {1, 0, 1, 1}};
    const ProgramIdentity otherProgram{L"Wine", {8, 0, 0, 0}};
    const ProgramIdentity lowerCaseName{L"orbelin", {1, 0, 0, 0}};
    using V = UpdateTargetVerdict;
    const struct {
        const char* name;
        std::optional<ProgramIdentity> newFile;
        std::optional<ProgramIdentity> target;
        const wchar_t* versionText;
        V verdict;
    } cases[] = {
        {"the next version over the current one", next, current, L"1.0.1", V::kAccepted},
        {"the build number named too", next, current, L"1.0.1.0", V::kAccepted},
        {"over a much older one", next, older, L"1.0.1", V::kAccepted},
        {"a text file", next, std::nullopt, L"1.0.1", V::kTargetNotThisProgram},
        {"another program", next, otherProgram, L"1.0.1", V::kTargetNotThisProgram},
        {"another product name", next, lowerCaseName, L"1.0.1", V::kTargetNotThisProgram},
        {"the same version", current, current, L"1.0.0", V::kTargetNotOlder},
        {"a downgrade", current, next, L"1.0.0", V::kTargetNotOlder},
        {"a downgrade by the build number", next, newerBuild, L"1.0.1", V::kTargetNotOlder},
        {"another version named", next, current, L"9.9", V::kVersionTextDisagrees},
        {"no version named", next, current, L"", V::kVersionTextDisagrees},
        {"a version that is no number", next, current, L"1.0.1 beta", V::kVersionTextDisagrees},
        {"the received file is another program", otherProgram, current, L"8.0", V::kNewFileNotThisProgram},
        {"the received file has no version resource", std::nullopt, current, L"1.0.1", V::kNewFileNotThisProgram},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        EXPECT_EQ(CheckUpdateTarget(testCase.newFile, testCase.target, testCase.versionText, L"Orbelin"),
                  testCase.verdict);
    }
}

TEST(ReadProgramIdentity, TheVersionResourceOfProgramsAndNothingOfOtherFiles) {
    TestFolder folder(L"identity");
    ASSERT_TRUE(WriteFileBytes(folder / L"notes.txt", std::string("my notes\r\n")));
    ASSERT_TRUE(WriteFileBytes(folder / L"empty.exe", std::string()));
    ASSERT_TRUE(WriteFileBytes(folder / L"fake.exe", std::vector<uint8_t>{'M', 'Z', 0x90, 0, 3, 0, 0, 0, 4, 0}));
    for (const wchar_t* name : {L"notes.txt", L"empty.exe", L"fake.exe", L"missing.exe"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ReadProgramIdentity(folder / name), std::nullopt);
    }

    // This test program carries the program's resources, its version resource among them.
    const std::optional<ProgramIdentity> own = ReadProgramIdentity(ProgramFilePath());
    ASSERT_TRUE(own.has_value());
    EXPECT_EQ(own->productName, L"Orbelin");
    EXPECT_EQ(own->fileVersion,
              (ProgramVersion{ORBELIN_VERSION_MAJOR, ORBELIN_VERSION_MINOR, ORBELIN_VERSION_PATCH, 0}));

    // A program of the system, with a version resource of its own product.
    wchar_t system[MAX_PATH] = L"";
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    const std::optional<ProgramIdentity> winver = ReadProgramIdentity(std::wstring(system) + L"\\winver.exe");
    ASSERT_TRUE(winver.has_value());
    EXPECT_FALSE(winver->productName.empty());
    EXPECT_NE(winver->productName, L"Orbelin");
}

class UpdateMessagesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(LoadLanguageArchive()); }
    void SetUp() override { m_language = CurrentLanguageIndex(); }
    void TearDown() override { SetCurrentLanguageIndex(m_language); }
    int m_language = kLanguageEnglish;
};

TEST_F(UpdateMessagesTest, TheMessagesSayWhatBecameOfTheProgramFile) {
    SetCurrentLanguageIndex(kLanguageEnglish);
    EXPECT_EQ(UpdateMessageCaption(), L"Orbelin - Auto Update");
    EXPECT_EQ(
        UpdateFailureText(L"2.0", L"It failed.", L"C:\\Orbelin.exe"),
        L"Orbelin 2.0 could not be installed.\r\nIt failed.\r\n\r\nThe program stays as it was:\r\nC:\\Orbelin.exe");
    EXPECT_EQ(UpdateOldFileAsideText(L"2.0", L"It failed.", L"C:\\Orbelin.exe", L"C:\\Orbelin.exe.1.update-old"),
              L"Orbelin 2.0 could not be installed.\r\nIt failed.\r\n\r\n"
              L"The old program file could not be put back. It is kept as:\r\nC:\\Orbelin.exe.1.update-old\r\n"
              L"Please give it back its name:\r\nC:\\Orbelin.exe");
    EXPECT_EQ(UpdateRefusalReason(UpdateTargetVerdict::kTargetNotThisProgram, L"2.0", L""),
              L"The file to be replaced is not a program of Orbelin.");
    EXPECT_EQ(UpdateRefusalReason(UpdateTargetVerdict::kTargetNotOlder, L"2.0", L"2.1.0"),
              L"The program to be replaced is version 2.1.0: only a newer version can replace it.");
    EXPECT_EQ(UpdateRefusalReason(UpdateTargetVerdict::kVersionTextDisagrees, L"9.9", L"1.0.0"),
              L"The received file is not version 9.9 of Orbelin.");
    EXPECT_EQ(UpdateRefusalReason(UpdateTargetVerdict::kNewFileNotThisProgram, L"9.9", L"1.0.0"),
              L"The received file is not version 9.9 of Orbelin.");
}

TEST_F(UpdateMessagesTest, EveryLanguageFillsEveryPlaceholder) {
    const std::vector<UpdateTargetVerdict> refusals = {
        UpdateTargetVerdict::kNewFileNotThisProgram, UpdateTargetVerdict::kVersionTextDisagrees,
        UpdateTargetVerdict::kTargetNotThisProgram, UpdateTargetVerdict::kTargetNotOlder};
    for (int language = 0; language < kLanguageCount; ++language) {
        SCOPED_TRACE(language);
        SetCurrentLanguageIndex(language);
        std::vector<std::wstring> messages = {UpdateMessageCaption(), UpdateFailureText(L"7.7.7", L"-", L"C:\\x.exe"),
                                              UpdateOldFileAsideText(L"7.7.7", L"-", L"C:\\x.exe", L"C:\\y.exe")};
        for (UpdateTargetVerdict verdict : refusals) messages.push_back(UpdateRefusalReason(verdict, L"7.7.7", L"6.6"));
        for (const std::wstring& message : messages) {
            SCOPED_TRACE(message);
            EXPECT_FALSE(message.empty());
            EXPECT_EQ(message.find(L"XX"), std::wstring::npos);
            EXPECT_EQ(message.find(L"#APP#"), std::wstring::npos);
            EXPECT_EQ(message.find(L"str:"), std::wstring::npos);
        }
        EXPECT_NE(messages[1].find(L"7.7.7"), std::wstring::npos);
        EXPECT_NE(messages[1].find(L"Orbelin"), std::wstring::npos);
        EXPECT_NE(UpdateRefusalReason(UpdateTargetVerdict::kTargetNotOlder, L"7.7.7", L"6.6").find(L"6.6"),
                  std::wstring::npos);
    }
    SetCurrentLanguageIndex(kLanguageGerman);
    EXPECT_EQ(UpdateFailureText(L"2.0", L"-", L"C:\\x.exe").rfind(L"Orbelin 2.0 konnte nicht installiert werden.", 0),
              0u);
}

}  // namespace
