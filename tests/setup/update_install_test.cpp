#include <gtest/gtest.h>

#include <thread>

#include "common/test_files.h"
#include "common/unique_handle.h"
#include "setup/setup_test_support.h"
#include "setup/update_install.h"
#include "setup/update_start_arguments.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

class ReplaceProgramFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteFileBytes(m_program, Bytes("old program")));
        ASSERT_TRUE(WriteFileBytes(m_newProgram, Bytes("new program")));
    }
    void ExpectNoLeftovers() {
        EXPECT_FALSE(FileExists(m_program + L".new"));
        EXPECT_FALSE(FileExists(m_program + L".old"));
    }

    TestFolder m_folder{L"replace"};
    std::wstring m_program = m_folder / L"Orbelin.exe";
    std::wstring m_newProgram = m_folder / L"Orbelin_Autoupdate.exe";
};

TEST_F(ReplaceProgramFileTest, TheNewFileTakesThePlace) {
    // A copy left by an earlier attempt does not stand in the way.
    ASSERT_TRUE(WriteFileBytes(m_program + L".new", Bytes("half")));
    EXPECT_EQ(ReplaceProgramFile(m_program, m_newProgram), ReplaceResult::kReplaced);
    EXPECT_EQ(ReadFileBytes(m_program), Bytes("new program"));
    EXPECT_EQ(ReadFileBytes(m_newProgram), Bytes("new program"));
    ExpectNoLeftovers();
}

TEST_F(ReplaceProgramFileTest, AMissingNewFileChangesNothing) {
    EXPECT_EQ(ReplaceProgramFile(m_program, m_folder / L"missing.exe"), ReplaceResult::kCopyFailed);
    EXPECT_EQ(ReadFileBytes(m_program), Bytes("old program"));
    ExpectNoLeftovers();
}

TEST_F(ReplaceProgramFileTest, AnOldFileThatCannotBeMovedStays) {
    // Opened without sharing deletion, as a running program file is held.
    UniqueHandle held(CreateFileW(m_program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.IsValid());
    EXPECT_EQ(ReplaceProgramFile(m_program, m_newProgram), ReplaceResult::kSwapFailed);
    held.Reset();
    EXPECT_EQ(ReadFileBytes(m_program), Bytes("old program"));
    ExpectNoLeftovers();
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
        SCOPED_TRACE(Narrow(testCase.commandLine));
        const auto parsed = ParseUpdateStartArguments(testCase.commandLine);
        ASSERT_EQ(parsed.has_value(), testCase.path != nullptr);
        if (!parsed) continue;
        EXPECT_EQ(parsed->programPath, testCase.path);
        EXPECT_EQ(parsed->version, testCase.version);
    }
}

TEST(UpdateFailureText, NamesTheVersionTheReasonAndTheKeptFile) {
    EXPECT_EQ(UpdateFailureText(L"2.0", L"it failed.", L"C:\\Orbelin.exe"),
              L"Orbelin 2.0 could not be installed: it failed.\r\n\r\nThe program stays as it was:\r\nC:\\Orbelin.exe");
}

}  // namespace
