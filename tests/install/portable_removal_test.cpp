// The removal of a copy that is not installed, in the test process on a stand-in program file
// (which runs nowhere, so its batch deletes it at once): only what belongs to this copy goes.
// The machine is put back as it was by InstallationGuard.
#include "install/portable_removal.h"

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/installation_guard.h"
#include "common/test_files.h"
#include "install/setup_program_support.h"
#include "install/shell_link.h"

namespace {

void SetText(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text) {
    RegSetKeyValueW(root, key.c_str(), name.c_str(), REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

class PortableRemovalTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        CreateDirectoryW(m_perUser.substr(0, m_perUser.find_last_of(L'\\')).c_str(), nullptr);
    }
    void TearDown() override { CoUninitialize(); }

    // Removes the copy and waits until its program file is gone.
    void Remove(const std::wstring& program, const std::wstring& settings) {
        UniqueHandle batch = RemovePortableCopy(program, settings);
        ASSERT_TRUE(batch.IsValid()) << "no batch started";
        // The stand-in does not run: its batch may go on at once.
        batch.Reset();
        const DWORD start = GetTickCount();
        while (FileExists(program) && GetTickCount() - start < 20000) Sleep(100);
        ASSERT_FALSE(FileExists(program)) << "the program file stayed";
    }

    InstallationGuard m_machine;
    TestFolder m_root{L"portable removal"};
    const std::wstring m_perUser = InstalledProgramUserSettingsPath();
    const std::vector<uint8_t> m_perUserBytes = Utf16FileBytes(L"[Program]\r\nm_image_timer=17\r\n");
};

TEST_F(PortableRemovalTest, OnlyThisCopysSettingsAndRunValueGo) {
    // Another copy, installed, with its own Run value.
    const std::wstring installed = m_root / L"installed\\Orbelin.exe";
    ASSERT_TRUE(CreateDirectoryW((m_root / L"installed").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(installed, std::string("MZ installed")));
    const std::wstring othersRunValue = L"\"" + installed + L"\" -bg";

    const struct {
        const char* name;
        const wchar_t* programName;
        bool settingsBeside;  // else the per-user file
        bool otherInstalled;  // an uninstall entry names the other, existing copy
        bool runValueOfThisCopy;
        bool settingsGo, perUserGoes, runValueGoes;
    } rows[] = {
        {"settings beside it", L"Orbelin_portable.exe", true, true, false, true, false, false},
        {"per-user settings that an installed copy uses", L"OrbelinCopy.exe", false, true, true, false, false, true},
        {"per-user settings of this copy alone", L"OrbelinCopy.exe", false, false, true, true, true, true},
    };
    int rowNumber = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::wstring folder = m_root / (L"copy " + std::to_wstring(++rowNumber));
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        const std::wstring program = folder + L"\\" + row.programName;
        ASSERT_TRUE(WriteFileBytes(program, std::string("MZ copy")));
        const std::wstring settings = row.settingsBeside ? folder + L"\\Orbelin.ini" : m_perUser;
        if (row.settingsBeside) {
            ASSERT_TRUE(WriteFileBytes(settings, std::string("[Program]")));
        }
        // The per-user folder goes with the last file in it.
        CreateDirectoryW(m_perUser.substr(0, m_perUser.find_last_of(L'\\')).c_str(), nullptr);
        ASSERT_TRUE(WriteFileBytes(m_perUser, m_perUserBytes));
        RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallEntryKey);
        RegDeleteKeyW(HKEY_CURRENT_USER, kUninstallEntryKey);
        if (row.otherInstalled) {
            SetText(HKEY_CURRENT_USER, kUninstallEntryKey, L"UninstallString", L"\"" + installed + L"\" -?uninstall");
        }
        const std::wstring runValue = row.runValueOfThisCopy ? L"\"" + program + L"\" -bg" : othersRunValue;
        SetText(HKEY_CURRENT_USER, kRunValueKey, L"Orbelin", runValue);

        Remove(program, settings);
        if (row.settingsBeside) {
            EXPECT_EQ(FileExists(settings), !row.settingsGo) << "its own settings file";
        }
        EXPECT_EQ(FileExists(m_perUser), !row.perUserGoes) << "the per-user settings file";
        if (!row.perUserGoes) {
            EXPECT_EQ(ReadFileBytes(m_perUser), std::optional<std::vector<uint8_t>>(m_perUserBytes));
        }
        EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, kRunValueKey, L"Orbelin"),
                  row.runValueGoes ? std::nullopt : std::optional<std::wstring>(runValue));
        EXPECT_TRUE(FileExists(installed));
        if (row.otherInstalled) {
            EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, kUninstallEntryKey));
        }
    }
}

TEST_F(PortableRemovalTest, APortableInstallationTakesWhatItsInstallationRecorded) {
    const std::wstring folder = m_root / L"stick";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring program = folder + L"\\Orbelin.exe";
    const std::wstring settings = folder + L"\\Orbelin.ini";
    const std::wstring info = folder + L"\\Orbelin_Uninstall.ini";
    ASSERT_TRUE(WriteFileBytes(program, std::string("MZ installed portable")));
    ASSERT_TRUE(WriteFileBytes(settings, std::string("[Program]")));
    ASSERT_TRUE(WriteFileBytes(m_perUser, m_perUserBytes));
    // The shortcuts as the installer made and recorded them, and one of the user's beside them.
    const ShellPlaces places = ShellPlacesFor(false);
    CreateDirectoryW(places.startMenuFolder.c_str(), nullptr);
    ShellLinkContent link;
    link.target = program;
    link.workingFolder = folder;
    ASSERT_TRUE(CreateShellLink(places.desktopLink, link));
    ASSERT_TRUE(CreateShellLink(places.startLink, link));
    link.arguments = L"-?uninstall";
    ASSERT_TRUE(CreateShellLink(places.uninstallLink, link));
    const std::wstring usersLink = places.startMenuFolder + L"\\My notes.lnk";
    ASSERT_TRUE(WriteFileBytes(usersLink, std::string("the user's")));
    ASSERT_TRUE(WriteFileBytes(info, Utf16FileBytes(L"[Program]\r\nportable_install=1\r\ndesktop_shortcut=" +
                                                    places.desktopLink + L"\r\nstart_shortcut=" + places.startLink +
                                                    L"\r\nuninstall_shortcut=" + places.uninstallLink + L"\r\n")));

    Remove(program, settings);
    EXPECT_FALSE(FileExists(settings));
    EXPECT_FALSE(FileExists(info));
    EXPECT_FALSE(FileExists(places.desktopLink));
    EXPECT_FALSE(FileExists(places.startLink));
    EXPECT_FALSE(FileExists(places.uninstallLink));
    EXPECT_TRUE(FileExists(usersLink));
    EXPECT_TRUE(FolderExists(places.startMenuFolder)) << "it still holds the user's shortcut";
    EXPECT_EQ(ReadFileBytes(m_perUser), std::optional<std::vector<uint8_t>>(m_perUserBytes));
    DeleteFileW(usersLink.c_str());
}

TEST_F(PortableRemovalTest, TheInformationFileBesideAnotherCopyStays) {
    // A portable copy under another name beside an installation: the installation's
    // information file and shortcuts are not this copy's.
    const std::wstring folder = m_root / L"beside";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring program = folder + L"\\Orbelin_portable.exe";
    const std::wstring info = folder + L"\\Orbelin_Uninstall.ini";
    ASSERT_TRUE(WriteFileBytes(program, std::string("MZ")));
    ASSERT_TRUE(WriteFileBytes(info, Utf16FileBytes(L"[Program]\r\nportable_install=1\r\n")));
    Remove(program, folder + L"\\Orbelin.ini");
    EXPECT_TRUE(FileExists(info));
}

}  // namespace
