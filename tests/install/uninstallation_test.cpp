// The uninstaller's removal in the test process, on installations made by the installation
// steps: what it refuses, what it leaves to others, and what it says it could not remove. The
// machine is put back as it was by InstallationGuard.
#include "install/uninstallation.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/installation_guard.h"
#include "common/shell_open_recorder.h"
#include "common/test_files.h"
#include "install/admin_probe.h"
#include "install/installation.h"
#include "browser/setup_test_support.h"
#include "install/uninstall_page.h"
#include "install/setup_program_support.h"

namespace {

class UninstallationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(LoadProgramLanguages()) << "ORBELIN_EXE cannot be read"; }

    // Installs per user into `folder`, with the desktop and start menu shortcuts.
    void InstallInto(const std::wstring& folder) {
        InstallChoices choices;
        choices.folderText = folder;
        choices.desktopShortcut = true;
        choices.startMenuShortcut = true;
        choices.startWithWindows = true;
        InstallResult result;
        const std::vector<SeenMessageBox> boxes = RunShowingBoxes([&] { result = InstallProgram(nullptr, choices); });
        ASSERT_TRUE(result.installed);
        ASSERT_TRUE(boxes.empty());
    }

    // Runs the removal; returns what it returned and the boxes it showed.
    bool Remove(const std::wstring& folder, std::vector<SeenMessageBox>& boxes) {
        bool removed = false;
        boxes = RunShowingBoxes([&] { removed = RemoveInstallation(nullptr, folder); });
        return removed;
    }

    InstallationGuard m_machine;
    TestFolder m_root{L"uninstallation"};
};

TEST_F(UninstallationTest, AFolderWithoutInstallationInformationIsRefusedWithNothingDeleted) {
    // A program file and a settings file, but nothing that says they were installed (a
    // portable copy, or a folder that some other command line named).
    const std::wstring folder = m_root / L"no installation";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::vector<std::wstring> files = {folder + L"\\Orbelin.exe", folder + L"\\Orbelin.ini"};
    for (const std::wstring& file : files) ASSERT_TRUE(WriteFileBytes(file, std::string("mine")));
    const std::wstring perUser = InstalledProgramUserSettingsPath();
    CreateDirectoryW(perUser.substr(0, perUser.find_last_of(L'\\')).c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(perUser, std::string("per user")));

    std::vector<SeenMessageBox> boxes;
    EXPECT_FALSE(Remove(folder, boxes));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"");
    EXPECT_EQ(boxes[0].text, L"This folder holds no installation information, nothing was removed:\r\n" + folder);
    for (const std::wstring& file : files) EXPECT_TRUE(FileExists(file)) << file;
    EXPECT_TRUE(FileExists(perUser));
}

TEST_F(UninstallationTest, ThePerUserSettingsFileGoesOnlyWhenTheInstallationMadeIt) {
    const std::wstring perUser = InstalledProgramUserSettingsPath();
    for (bool existedBefore : {false, true}) {
        SCOPED_TRACE(existedBefore ? "the user's own settings file" : "made by the installation");
        const std::wstring folder = m_root / (existedBefore ? L"before" : L"made");
        const std::vector<uint8_t> users = Utf16FileBytes(L"[Program]\r\nm_image_timer=17\r\n");
        DeleteFileW(perUser.c_str());
        if (existedBefore) {
            CreateDirectoryW(perUser.substr(0, perUser.find_last_of(L'\\')).c_str(), nullptr);
            ASSERT_TRUE(WriteFileBytes(perUser, users));
        }
        InstallInto(folder);
        ASSERT_TRUE(FileExists(perUser));
        EXPECT_EQ(ReadIniValue(folder + L"\\Orbelin_Uninstall.ini", L"Program", L"settings_file"),
                  existedBefore ? L"<missing>" : perUser);

        std::vector<SeenMessageBox> boxes;
        EXPECT_TRUE(Remove(folder, boxes));
        EXPECT_TRUE(boxes.empty());
        EXPECT_FALSE(FileExists(folder + L"\\Orbelin.exe"));
        EXPECT_EQ(FileExists(perUser), existedBefore);
        if (existedBefore) {
            EXPECT_EQ(ReadFileBytes(perUser), std::optional<std::vector<uint8_t>>(users));
        }
    }
}

TEST_F(UninstallationTest, WhatCouldNotBeRemovedIsNamedAndTheRestGoes) {
    const std::wstring folder = m_root / L"in use";
    const std::wstring perUser = InstalledProgramUserSettingsPath();
    DeleteFileW(perUser.c_str());
    InstallInto(folder);
    const ShellPlaces places = ShellPlacesFor(false);
    ASSERT_TRUE(FileExists(places.desktopLink));
    // Another program has the desktop shortcut and the user's settings file open.
    HeldFile shortcut(places.desktopLink, false);
    HeldFile settings(perUser, false);
    ASSERT_TRUE(shortcut.Held() && settings.Held());

    std::vector<SeenMessageBox> boxes;
    EXPECT_TRUE(Remove(folder, boxes));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"");
    EXPECT_EQ(boxes[0].text, L"These could not be removed:\r\n" + places.desktopLink + L"\r\n" + perUser);
    // Everything else went.
    EXPECT_FALSE(FileExists(folder + L"\\Orbelin.exe"));
    EXPECT_FALSE(FileExists(folder + L"\\Orbelin_Uninstall.ini"));
    EXPECT_FALSE(FileExists(places.startLink));
    EXPECT_FALSE(FileExists(places.uninstallLink));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kUninstallEntryKey));
    EXPECT_FALSE(ReadRegistryValue(HKEY_CURRENT_USER, kRunValueKey, L"Orbelin").has_value());
    shortcut.Release();
    settings.Release();
}

TEST(UninstallPageTest, TheInternetShortcutReachesTheShellWhateverItsFolderIsCalled) {
    ASSERT_TRUE(ProcessIsAdministrator()) << "the shortcut is written for a process with administrator rights only";
    ShellOpenRecorder pages({L".url", L"http", L"https"});
    TestFolder base(L"uninstall page");
    // A temporary folder with a comma and blanks in its name: the desktop shell reads a comma
    // as the end of an argument.
    const std::wstring folder = base / L"Temp, my files";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    EXPECT_TRUE(OpenUninstallPage(folder + L"\\"));
    const std::vector<std::wstring> opened = pages.WaitForOpened(1, 15000);
    ASSERT_EQ(opened.size(), 1u) << "nothing was opened";
    EXPECT_EQ(opened[0], folder + L"\\kestrova_tmp_link.url") << opened[0];
}

}  // namespace
