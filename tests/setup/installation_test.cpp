// The installation steps in the test process, without the start of the installed program that
// follows them in the real installer: so that what the installation itself writes can be looked
// at before any program touches it. The machine is put back as it was by InstallationGuard.
#include "setup/installation.h"

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/installation_guard.h"
#include "common/message_box_watcher.h"
#include "common/test_files.h"
#include "lang/language_archive.h"

namespace {

class InstallationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const char* program = std::getenv("ORBELIN_EXE");
        ASSERT_NE(program, nullptr) << "ORBELIN_EXE is not set";
        ASSERT_TRUE(LoadLanguageArchiveFromFile(WindowsPathFromHost(program)));
        SetCurrentLanguageIndex(kLanguageEnglish);
    }

    // Runs the installation on a thread of its own while the message boxes are answered with
    // OK here; returns what it returned and the boxes it showed.
    InstallResult Install(const InstallChoices& choices, std::vector<SeenMessageBox>& boxes) {
        InstallResult result;
        boxes = RunAnsweringMessageBoxes(
            [&] {
                CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
                result = InstallProgram(nullptr, choices);
                CoUninitialize();
            },
            60000);
        return result;
    }

    InstallationGuard m_machine;
    TestFolder m_root{L"installation"};
};

TEST_F(InstallationTest, AnEarlierInstallationsSettingsFileIsKeptByteForByte) {
    for (bool portable : {false, true}) {
        SCOPED_TRACE(portable ? "portable" : "per user");
        InstallChoices choices;
        choices.folderText = m_root / (portable ? L"stick" : L"per user");
        choices.portable = portable;
        choices.language = kLanguageFrench;
        const std::wstring settings =
            portable ? choices.folderText + L"\\Orbelin.ini" : InstalledProgramUserSettingsPath();
        DeleteFileW(settings.c_str());

        // A first installation makes the settings file, in UTF-16, with the installer's keys.
        std::vector<SeenMessageBox> boxes;
        InstallResult result = Install(choices, boxes);
        ASSERT_TRUE(result.installed);
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(result.programPath, choices.folderText + L"\\Orbelin.exe");
        const auto made = ReadFileBytes(settings);
        ASSERT_TRUE(made.has_value());
        EXPECT_TRUE(StartsWithUtf16Mark(*made));
        EXPECT_EQ(ReadIniValue(settings, L"Program", L"install_dir"), choices.folderText);
        EXPECT_EQ(ReadIniValue(settings, L"Program", L"lng"), L"7");
        EXPECT_EQ(ReadIniValue(settings, L"Program", L"portable_install"), portable ? L"1" : L"0");
        EXPECT_NE(ReadIniValue(settings, L"Program", L"Install_Time"), L"<missing>");
        EXPECT_EQ(FileExists(choices.folderText + L"\\Orbelin.ini"), portable);

        // The user's own settings since then survive a second installation unchanged.
        const std::vector<uint8_t> kept = Utf16FileBytes(L"[Program]\r\nm_image_timer=17\r\nmine=\u03A9\r\n");
        ASSERT_TRUE(WriteFileBytes(settings, kept));
        choices.language = kLanguageGerman;
        result = Install(choices, boxes);
        ASSERT_TRUE(result.installed);
        ASSERT_EQ(boxes.size(), 1u) << "the overwrite question";
        EXPECT_EQ(boxes[0].caption, L"");
        EXPECT_NE(boxes[0].text.find(result.programPath), std::wstring::npos);
        EXPECT_EQ(ReadFileBytes(settings), std::optional<std::vector<uint8_t>>(kept));
        // The uninstall information file is the installation's own: it follows the new choice.
        EXPECT_EQ(ReadIniValue(choices.folderText + L"\\Orbelin_Uninstall.ini", L"Program", L"lng"), L"0");
    }
}

TEST_F(InstallationTest, AFolderInTheProgramsPlaceStopsBeforeAnythingIsMade) {
    InstallChoices choices;
    choices.folderText = m_root / L"blocked";
    choices.desktopShortcut = true;
    const std::wstring program = choices.folderText + L"\\Orbelin.exe";
    ASSERT_TRUE(CreateDirectoryW(choices.folderText.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(program.c_str(), nullptr));
    std::vector<SeenMessageBox> boxes;
    const InstallResult result = Install(choices, boxes);
    EXPECT_FALSE(result.installed);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"An error occurred while creating the:\r\n" + program);
    EXPECT_FALSE(FileExists(choices.folderText + L"\\Orbelin_Uninstall.ini"));
    EXPECT_FALSE(FileExists(ShellPlacesFor(false).desktopLink));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kUninstallEntryKey));
}

}  // namespace
