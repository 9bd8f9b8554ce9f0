// The installation steps in the test process, without the start of the installed program that
// follows them in the real installer: so that what the installation itself writes can be looked
// at before any program touches it. The machine is put back as it was by InstallationGuard.
#include "install/installation.h"

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "common/installation_guard.h"
#include "common/message_box_watcher.h"
#include "common/test_files.h"
#include "lang/language_archive.h"
#include "install/shell_link.h"
#include "install/setup_program_support.h"
#include "browser/setup_test_support.h"

namespace {

class InstallationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(LoadProgramLanguages()) << "ORBELIN_EXE cannot be read"; }
    // Shortcuts are read back through the shell.
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }

    // Runs the installation on a thread of its own while the message boxes are answered with
    // OK here; returns what it returned and the boxes it showed.
    InstallResult Install(const InstallChoices& choices, std::vector<SeenMessageBox>& boxes) {
        InstallResult result;
        boxes = RunShowingBoxes([&] { result = InstallProgram(nullptr, choices); });
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

TEST_F(InstallationTest, AFolderNotGivenByItsFullPathIsRefusedBeforeAnythingIsMade) {
    // A relative folder would be taken from the current folder (here the test's) and recorded
    // as typed: the installed copy would then not know its own uninstall entry.
    wchar_t current[MAX_PATH] = L"";
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, current), 0u);
    const std::wstring currentFolder = current;
    const std::wstring parentFolder = currentFolder.substr(0, currentFolder.find_last_of(L'\\'));
    const std::wstring drive = currentFolder.substr(0, 2);
    const struct {
        std::wstring typed;
        std::wstring wouldLand;  // where the installation would have gone
    } rows[] = {
        {L"Orbelin relative", currentFolder + L"\\Orbelin relative"},
        {L"..\\Orbelin climbing", parentFolder + L"\\Orbelin climbing"},
        {drive + L"Orbelin drive relative", currentFolder + L"\\Orbelin drive relative"},
        {L".\\Orbelin dotted", currentFolder + L"\\Orbelin dotted"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        FolderGuard leftovers(row.wouldLand);
        InstallChoices choices;
        choices.folderText = row.typed;
        choices.desktopShortcut = true;
        std::vector<SeenMessageBox> boxes;
        const InstallResult result = Install(choices, boxes);
        EXPECT_FALSE(result.installed);
        EXPECT_EQ(result.folder, row.typed) << "the dialog keeps what was typed";
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, L"");
        EXPECT_EQ(boxes[0].text,
                  L"The installation folder must be given with its full path, beginning with a drive or a network "
                  L"share:\r\n" +
                      row.typed);
        EXPECT_FALSE(FileExists(row.wouldLand)) << "made relative to the current folder";
        EXPECT_FALSE(FileExists(ShellPlacesFor(false).desktopLink));
        EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kUninstallEntryKey));
    }
}

TEST_F(InstallationTest, AFolderWithDotsIsInstalledAndRecordedByItsCanonicalPath) {
    InstallChoices choices;
    choices.folderText = m_root / L"detour\\..\\.\\canonical\\";
    choices.desktopShortcut = true;
    choices.startWithWindows = true;
    const std::wstring folder = m_root / L"canonical";
    const std::wstring program = folder + L"\\Orbelin.exe";
    std::vector<SeenMessageBox> boxes;
    const InstallResult result = Install(choices, boxes);
    ASSERT_TRUE(result.installed);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(result.folder, folder);
    EXPECT_EQ(result.programPath, program);
    EXPECT_TRUE(FileExists(program));
    EXPECT_FALSE(FileExists(m_root / L"detour")) << "a folder on the way that the path does not name";
    EXPECT_EQ(ReadIniValue(folder + L"\\Orbelin_Uninstall.ini", L"Program", L"install_dir"), folder);
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, kUninstallEntryKey, L"UninstallString"),
              std::optional<std::wstring>(L"\"" + program + L"\" -?uninstall"));
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, kRunValueKey, L"Orbelin"),
              std::optional<std::wstring>(L"\"" + program + L"\" -bg"));
    const std::optional<ShellLinkContent> link = ReadShellLink(ShellPlacesFor(false).desktopLink);
    ASSERT_TRUE(link.has_value());
    EXPECT_EQ(link->target, program);
    EXPECT_EQ(link->workingFolder, folder);
}

TEST_F(InstallationTest, PartsThatCannotBeWrittenAreNamedAndTheRestStands) {
    // The desktop holds a folder where the shortcut would go; the user's Run key and the
    // uninstall entry cannot be written (keys that lead nowhere).
    const ShellPlaces places = ShellPlacesFor(false);
    FolderGuard folderInThePlaceOfTheShortcut(places.desktopLink);
    ASSERT_TRUE(CreateDirectoryW(places.desktopLink.c_str(), nullptr));
    RegistryKeyGuard runKey(HKEY_CURRENT_USER, kRunValueKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, kRunValueKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kRunValueKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallEntryKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kUninstallEntryKey);
    {
        DanglingRegistryKey noRunKey(HKEY_CURRENT_USER, kRunValueKey);
        DanglingRegistryKey noEntry(HKEY_CURRENT_USER, kUninstallEntryKey);
        ASSERT_TRUE(noRunKey.Made() && noEntry.Made());

        InstallChoices choices;
        choices.folderText = m_root / L"partly";
        choices.desktopShortcut = true;
        choices.startMenuShortcut = true;
        choices.startWithWindows = true;
        std::vector<SeenMessageBox> boxes;
        const InstallResult result = Install(choices, boxes);
        EXPECT_TRUE(result.installed) << "the program itself is in place";
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, L"");
        EXPECT_EQ(boxes[0].text,
                  L"The program is installed, but these parts could not be made:\r\n"
                  L"Desktop shortcut: " +
                      places.desktopLink +
                      L"\r\n"
                      L"Start with Windows: HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\"
                      L"Orbelin\r\n"
                      L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orbelin");
        // What was made is recorded, what was not is not.
        const std::wstring info = choices.folderText + L"\\Orbelin_Uninstall.ini";
        EXPECT_TRUE(FileExists(choices.folderText + L"\\Orbelin.exe"));
        EXPECT_EQ(ReadIniValue(info, L"Program", L"desktop_shortcut"), L"<missing>");
        EXPECT_EQ(ReadIniValue(info, L"Program", L"start_shortcut"), places.startLink);
        EXPECT_EQ(ReadIniValue(info, L"Program", L"uninstall_shortcut"), places.uninstallLink);
        EXPECT_TRUE(FileExists(places.startLink));
    }
}

TEST_F(InstallationTest, AFailedReinstallationKeepsTheEarlierInformationFile) {
    InstallChoices choices;
    choices.folderText = m_root / L"kept";
    choices.desktopShortcut = true;
    std::vector<SeenMessageBox> boxes;
    ASSERT_TRUE(Install(choices, boxes).installed);
    const std::wstring info = choices.folderText + L"\\Orbelin_Uninstall.ini";
    const std::optional<std::vector<uint8_t>> earlier = ReadFileBytes(info);
    ASSERT_TRUE(earlier.has_value());
    ASSERT_NE(ReadIniValue(info, L"Program", L"desktop_shortcut"), L"<missing>");

    // Another program reads the information file and lets nobody write it (deleting it, it
    // would allow): the installation cannot write its keys and stops.
    {
        HeldFile reader(info, true);
        ASSERT_TRUE(reader.Held());
        const InstallResult again = Install(choices, boxes);
        EXPECT_FALSE(again.installed);
        ASSERT_EQ(boxes.size(), 2u) << "the overwrite question and the failure";
        EXPECT_EQ(boxes[1].text, L"An error occurred while creating the:\r\n" + info);
    }
    // The earlier installation's record of what it made is still there, for its uninstaller.
    EXPECT_EQ(ReadFileBytes(info), earlier);
    EXPECT_TRUE(FileExists(choices.folderText + L"\\Orbelin.exe"));
}

}  // namespace
