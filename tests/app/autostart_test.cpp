#include "system/autostart.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

#include "common/system_folders.h"

namespace {

constexpr const wchar_t* kRunKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

struct RunValue {
    DWORD type = 0;
    DWORD bytes = 0;
    std::wstring text;
};

std::optional<RunValue> ReadRunValue(HKEY root, const std::wstring& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::nullopt;
    RunValue value;
    wchar_t buffer[4096] = L"";
    value.type = 0xdeadbeef;
    value.bytes = sizeof(buffer) - sizeof(wchar_t);
    const LONG result =
        RegQueryValueExW(key, name.c_str(), nullptr, &value.type, reinterpret_cast<BYTE*>(buffer), &value.bytes);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return std::nullopt;
    value.text.assign(buffer, wcsnlen(buffer, value.bytes / sizeof(wchar_t)));
    return value;
}

void StoreRunValue(HKEY root, const std::wstring& name, const std::wstring& text) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), ERROR_SUCCESS);
    RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void DeleteRunValue(HKEY root, const std::wstring& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueW(key, name.c_str());
    RegCloseKey(key);
}

std::wstring ThisProgram() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// Works on a value name of its own and removes it from both roots afterwards, so the registry
// is left as the test found it.
class AutostartTest : public ::testing::Test {
protected:
    void TearDown() override {
        DeleteRunValue(HKEY_CURRENT_USER, m_name);
        DeleteRunValue(HKEY_LOCAL_MACHINE, m_name);
    }
    const std::wstring m_name = L"OrbelinAutostartTest" + std::to_wstring(GetCurrentProcessId());
    const std::wstring m_expected = L"\"" + ThisProgram() + L"\" -bg";
};

TEST(AutostartCommandLine, QuotedPathAndSwitch) {
    EXPECT_EQ(AutostartCommandLine(L"C:\\Program Files\\Orbelin\\Orbelin.exe"),
              L"\"C:\\Program Files\\Orbelin\\Orbelin.exe\" -bg");
}

TEST_F(AutostartTest, WriteStoresTheCommandLineWithoutTerminator) {
    for (bool allUsers : {false, true}) {
        SCOPED_TRACE(allUsers ? "all users" : "current user");
        ASSERT_TRUE(WriteAutostart(m_name, allUsers));
        const auto value = ReadRunValue(allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, m_name);
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
        // The program passes the text without its terminator; the registry adds the terminator a
        // caller leaves out when the character after the counted text is one (Windows NT does
        // this as Wine does), so the stored size is one character more.
        EXPECT_EQ(value->bytes, (m_expected.size() + 1) * sizeof(wchar_t));
        EXPECT_EQ(value->text, m_expected);
        EXPECT_EQ(QueryAutostart(m_name, allUsers), 1);
    }
}

TEST_F(AutostartTest, QueryRepairsStaleValues) {
    const std::wstring upper = [this] {
        std::wstring text = m_expected;
        CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
        return text;
    }();
    ASSERT_NE(upper, m_expected);
    const struct {
        const char* label;
        std::wstring stored;
    } cases[] = {
        {"the program was moved", L"\"C:\\Old place\\Orbelin.exe\" -bg"},
        {"only the letter case differs", upper},
        {"the switch is missing", L"\"" + ThisProgram() + L"\""},
        {"no program named at all", L"-bg"},
        {"a folder, not a program", L"\"C:\\windows\" -bg"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        StoreRunValue(HKEY_CURRENT_USER, m_name, testCase.stored);
        EXPECT_EQ(QueryAutostart(m_name, false), 1);
        const auto value = ReadRunValue(HKEY_CURRENT_USER, m_name);
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->text, m_expected);
    }
}

TEST_F(AutostartTest, AValueOfAnotherExistingCopyIsLeftAlone) {
    // A copy of this program elsewhere (the installed program, while a portable copy runs): its
    // start with Windows must survive this copy's settings load.
    const std::wstring temporary = TemporaryFolderPath();
    ASSERT_FALSE(temporary.empty());
    const std::wstring otherCopy =
        temporary + L"orbelin_other_copy_" + std::to_wstring(GetCurrentProcessId()) + L".exe";
    ASSERT_TRUE(CopyFileW(ThisProgram().c_str(), otherCopy.c_str(), FALSE));
    const struct {
        const char* label;
        std::wstring stored;
    } cases[] = {
        {"the other copy's own value", L"\"" + otherCopy + L"\" -bg"},
        {"the other copy, unquoted", otherCopy + L" -bg"},
        {"the other copy without the switch", L"\"" + otherCopy + L"\""},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        StoreRunValue(HKEY_CURRENT_USER, m_name, testCase.stored);
        EXPECT_EQ(QueryAutostart(m_name, false), 1);
        const auto value = ReadRunValue(HKEY_CURRENT_USER, m_name);
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->text, testCase.stored);
    }
    DeleteFileW(otherCopy.c_str());
    // Once that copy is gone, its value is this program's to repair.
    StoreRunValue(HKEY_CURRENT_USER, m_name, L"\"" + otherCopy + L"\" -bg");
    EXPECT_EQ(QueryAutostart(m_name, false), 1);
    EXPECT_EQ(ReadRunValue(HKEY_CURRENT_USER, m_name)->text, m_expected);
}

TEST(ProgramPathOfRunCommand, Table) {
    const struct {
        const wchar_t* commandLine;
        const wchar_t* path;
    } cases[] = {
        {L"\"C:\\Program Files\\Orbelin\\Orbelin.exe\" -bg", L"C:\\Program Files\\Orbelin\\Orbelin.exe"},
        {L"  \"C:\\a b.exe\"", L"C:\\a b.exe"},
        {L"C:\\Orbelin\\Orbelin.exe -bg", L"C:\\Orbelin\\Orbelin.exe"},
        {L"\"C:\\no closing quote -bg", L"C:\\no closing quote -bg"},
        {L"", L""},
        {L"   ", L""},
        {L"\"\" -bg", L""},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<const void*>(testCase.commandLine));
        EXPECT_EQ(ProgramPathOfRunCommand(testCase.commandLine), testCase.path);
    }
}

TEST_F(AutostartTest, MissingValueReadsZeroAndIsNotCreated) {
    EXPECT_EQ(QueryAutostart(m_name, false), 0);
    EXPECT_FALSE(ReadRunValue(HKEY_CURRENT_USER, m_name).has_value());
    EXPECT_FALSE(RemoveAutostart(m_name, false));
}

TEST_F(AutostartTest, RemovingThePerUserValueLeavesAllUsersAlone) {
    ASSERT_TRUE(WriteAutostart(m_name, true));
    ASSERT_TRUE(WriteAutostart(m_name, false));
    EXPECT_TRUE(RemoveAutostart(m_name, false));
    EXPECT_FALSE(ReadRunValue(HKEY_CURRENT_USER, m_name).has_value());
    EXPECT_EQ(QueryAutostart(m_name, false), 0);
    EXPECT_TRUE(ReadRunValue(HKEY_LOCAL_MACHINE, m_name).has_value());
    EXPECT_EQ(QueryAutostart(m_name, true), 1);
}

TEST_F(AutostartTest, SyncWithoutTheProgramsNameDoesNothing) {
    // This test program has no string resource for the value name; the check box action must
    // not write a nameless (default) value into the Run key then.
    const auto before = ReadRunValue(HKEY_CURRENT_USER, L"");
    SyncAutostart(1);
    const auto after = ReadRunValue(HKEY_CURRENT_USER, L"");
    EXPECT_EQ(before.has_value(), after.has_value());
}

}  // namespace

namespace {

// The installer writes the installed program's command line, not its own; the uninstaller
// removes a value only when it starts the program it removes.
TEST_F(AutostartTest, InstallerWritesAndRemovesTheValueOfTheInstalledProgram) {
    const std::wstring installed = L"C:\\Program Files\\Orbelin\\Orbelin.exe";
    for (bool allUsers : {false, true}) {
        SCOPED_TRACE(allUsers ? "all users" : "current user");
        const HKEY root = allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        ASSERT_TRUE(WriteAutostart(m_name, allUsers, installed));
        auto value = ReadRunValue(root, m_name);
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->text, L"\"" + installed + L"\" -bg");
        EXPECT_FALSE(WriteAutostart(m_name, allUsers, L""));

        // Another copy's value stays, whatever it says after the path.
        EXPECT_FALSE(RemoveAutostartOf(m_name, allUsers, L"D:\\Orbelin\\Orbelin.exe"));
        EXPECT_FALSE(RemoveAutostartOf(m_name, allUsers, L"C:\\Program Files\\Orbelin"));
        EXPECT_TRUE(ReadRunValue(root, m_name).has_value());
        // This installation's, in other letter case, goes.
        EXPECT_TRUE(RemoveAutostartOf(m_name, allUsers, L"c:\\PROGRAM FILES\\orbelin\\ORBELIN.EXE"));
        EXPECT_FALSE(ReadRunValue(root, m_name).has_value());
        EXPECT_FALSE(RemoveAutostartOf(m_name, allUsers, installed));
    }
}

TEST(RunCommandTest, StartsProgramComparesThePathOnly) {
    const struct {
        const wchar_t* command;
        const wchar_t* program;
        bool starts;
    } rows[] = {
        {L"\"C:\\a b\\Orbelin.exe\" -bg", L"C:\\a b\\Orbelin.exe", true},
        {L"\"C:\\A B\\ORBELIN.exe\"", L"c:\\a b\\orbelin.exe", true},
        {L"C:\\ab\\Orbelin.exe -bg", L"C:\\ab\\Orbelin.exe", true},
        {L"\"C:\\a b\\Orbelin.exe\" -bg", L"C:\\a b\\Orbelin.ex", false},
        {L"\"C:\\a b\\Orbelin.exe2\"", L"C:\\a b\\Orbelin.exe", false},
        {L"", L"C:\\a b\\Orbelin.exe", false},
        {L"\"\" -bg", L"", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << (&row - rows));
        EXPECT_EQ(RunCommandStartsProgram(row.command, row.program), row.starts);
    }
}

}  // namespace
