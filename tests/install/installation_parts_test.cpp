// The installer's parts on the real platform: shell links read back through the shell, the
// uninstall entry in the registry, the check for a program file that is in use, and the
// installation folder named by the uninstaller's argument.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>

#include "common/test_files.h"
#include "common/unique_handle.h"
#include "install/install_rules.h"
#include "install/installation.h"
#include "browser/setup_test_support.h"
#include "install/shell_link.h"
#include "install/uninstall_entry.h"
#include "install/uninstallation.h"

namespace {

class ComThread {
public:
    ComThread() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComThread() { CoUninitialize(); }
};

TEST(ShellLinkTest, WrittenLinksReadBackWithTargetArgumentsAndFolder) {
    ComThread com;
    TestFolder folder(L"shell link");
    const struct {
        const char* name;
        std::wstring linkName;
        std::wstring arguments;
    } rows[] = {
        {"program", L"Orbelin.lnk", L""},
        {"uninstaller", L"Orbelin_Uninstall.lnk", L"-?uninstall"},
        {"blanks and a foreign letter", L"a b \u03A9.lnk", L"-?uninstall x"},
    };
    const std::wstring program = folder / L"inst dir\\Orbelin.exe";
    ASSERT_TRUE(CreateDirectoryW((folder / L"inst dir").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(program, std::string("MZ")));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::wstring link = folder / row.linkName;
        ShellLinkContent content;
        content.target = program;
        content.arguments = row.arguments;
        content.workingFolder = folder / L"inst dir";
        content.iconFile = program;
        ASSERT_TRUE(CreateShellLink(link, content));
        const std::optional<ShellLinkContent> read = ReadShellLink(link);
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(read->target, program);
        EXPECT_EQ(read->arguments, row.arguments);
        EXPECT_EQ(read->workingFolder, folder / L"inst dir");
        EXPECT_EQ(read->iconFile, program);
        EXPECT_EQ(read->iconIndex, 0);
    }
    // A file that is no link is not read as one.
    ASSERT_TRUE(WriteFileBytes(folder / L"fake.lnk", std::string("not a link")));
    EXPECT_FALSE(ReadShellLink(folder / L"fake.lnk").has_value());
    EXPECT_FALSE(ReadShellLink(folder / L"missing.lnk").has_value());
    // A link into a folder that does not exist cannot be saved.
    ShellLinkContent content;
    content.target = program;
    EXPECT_FALSE(CreateShellLink(folder / L"no such folder\\Orbelin.lnk", content));
}

// An entry name of the test's own under HKEY_CURRENT_USER, removed at the end.
class UninstallEntryTest : public ::testing::Test {
protected:
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, UninstallKeyPath(m_name).c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, UninstallKeyPath(m_name).c_str());
    }
    bool EntryExists() const {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, UninstallKeyPath(m_name).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(key);
        return true;
    }
    const std::wstring m_name = L"OrbelinEntryTest" + std::to_wstring(GetCurrentProcessId());
};

TEST_F(UninstallEntryTest, EveryValueWithItsTypeAndOnlyThisProgramsEntryIsDeleted) {
    const std::wstring program = L"C:\\Program Files\\Orbelin\\Orbelin.exe";
    const auto values = UninstallEntryValues(program, L"https://page", L"Orbelin 1.0.0", L"Maker com");
    ASSERT_TRUE(WriteUninstallEntry(HKEY_CURRENT_USER, m_name, values));

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, UninstallKeyPath(m_name).c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    for (const UninstallEntryValue& value : values) {
        SCOPED_TRACE(value.name);
        BYTE data[2048] = {};
        DWORD type = 0xdeadbeef;
        DWORD bytes = sizeof(data);
        ASSERT_EQ(RegQueryValueExW(key, value.name.c_str(), nullptr, &type, data, &bytes), ERROR_SUCCESS);
        if (value.number) {
            EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
            ASSERT_EQ(bytes, sizeof(DWORD));
            EXPECT_EQ(*reinterpret_cast<DWORD*>(data), 200u);
        } else {
            EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
            EXPECT_EQ(bytes, (value.text.size() + 1) * sizeof(wchar_t));
            EXPECT_EQ(std::wstring(reinterpret_cast<wchar_t*>(data)), value.text);
        }
    }
    RegCloseKey(key);
    EXPECT_EQ(ReadUninstallString(HKEY_CURRENT_USER, m_name), L"\"" + program + L"\" -?uninstall");

    // An entry of another copy stays.
    EXPECT_FALSE(DeleteUninstallEntryOf(HKEY_CURRENT_USER, m_name, L"D:\\Orbelin\\Orbelin.exe"));
    EXPECT_TRUE(EntryExists());
    EXPECT_TRUE(DeleteUninstallEntryOf(HKEY_CURRENT_USER, m_name, L"c:\\program files\\orbelin\\ORBELIN.exe"));
    EXPECT_FALSE(EntryExists());
    EXPECT_FALSE(DeleteUninstallEntryOf(HKEY_CURRENT_USER, m_name, program));
}

TEST(ProgramFileTest, AFileInUseIsNotFreeAReadOnlyOneIs) {
    TestFolder folder(L"program file");
    const std::wstring program = folder / L"Orbelin.exe";
    EXPECT_TRUE(ProgramFileIsFree(program)) << "a missing file";
    EXPECT_FALSE(FileExists(program)) << "the check must not create the file";

    ASSERT_TRUE(WriteFileBytes(program, std::string("MZ")));
    ASSERT_TRUE(SetFileAttributesW(program.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(ProgramFileIsFree(program));
    EXPECT_EQ(GetFileAttributesW(program.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    {
        // Held as a running program's file is: others may read it, nobody may write it.
        UniqueHandle held(CreateFileW(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held.IsValid());
        EXPECT_FALSE(ProgramFileIsFree(program));
    }
    EXPECT_TRUE(ProgramFileIsFree(program));
}

TEST(UninstallFolderArgumentTest, ArgumentNamesTheFolderThatHoldsTheInstallation) {
    TestFolder root(L"uninstall argument");
    // A folder whose name holds "%20" itself, beside the folder that name would read as.
    const std::wstring literal = root / L"a%20b";
    const std::wstring blank = root / L"a b";
    ASSERT_TRUE(CreateDirectoryW(literal.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(blank.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(PathInFolder(literal, kUninstallInfoName), std::string("[Program]\r\n")));
    ASSERT_TRUE(WriteFileBytes(PathInFolder(blank, kUninstallInfoName), std::string("[Program]\r\n")));
    EXPECT_EQ(InstallationFolderOfArgument(EncodeUninstallFolder(literal)), literal);
    EXPECT_EQ(InstallationFolderOfArgument(EncodeUninstallFolder(blank)), blank);

    // The older form: blanks encoded, "%" as it is; read so when only that names an installation.
    const std::wstring percent = root / L"100%25 x";
    ASSERT_TRUE(CreateDirectoryW(percent.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(PathInFolder(percent, kUninstallInfoName), std::string("[Program]\r\n")));
    // A program file alone makes no installation: only the information file says what is whose.
    const std::wstring programOnly = root / L"100% x";
    ASSERT_TRUE(CreateDirectoryW(programOnly.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(PathInFolder(programOnly, kInstalledProgramName), std::string("MZ")));
    EXPECT_FALSE(HoldsInstallation(programOnly));
    EXPECT_TRUE(HoldsInstallation(percent));
    std::wstring oldArgument = percent;
    for (size_t at = oldArgument.find(L' '); at != std::wstring::npos; at = oldArgument.find(L' ')) {
        oldArgument.replace(at, 1, L"%20");
    }
    EXPECT_EQ(InstallationFolderOfArgument(oldArgument), percent);

    EXPECT_EQ(InstallationFolderOfArgument(L"C:"), L"");
    EXPECT_EQ(InstallationFolderOfArgument(L""), L"");
}

}  // namespace
