// The installer's rules on plain texts: the folder list, the folder text, the uninstaller's
// folder argument, which recorded shortcuts may go, and the texts of titles and questions.
#include "install/install_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browser/setup_test_support.h"

namespace {

FolderListInput TypicalInput() {
    FolderListInput input;
    input.programFilesFolder = L"C:\\Program Files";
    input.appDataFolder = L"C:\\Users\\u\\AppData\\Roaming";
    input.drives = {{L"A:\\", DriveKind::kRemovable}, {L"C:\\", DriveKind::kFixed},  {L"D:\\", DriveKind::kCdRom},
                    {L"E:\\", DriveKind::kRemovable}, {L"N:\\", DriveKind::kRemote}, {L"R:\\", DriveKind::kRamDisk},
                    {L"X:\\", DriveKind::kOther}};
    return input;
}

const std::vector<std::wstring> kDriveEntries = {
    L"C:\\Orbelin", L"C:\\Kestrova\\Orbelin", L"E:\\Orbelin", L"E:\\Kestrova\\Orbelin",
    L"N:\\Orbelin", L"N:\\Kestrova\\Orbelin", L"R:\\Orbelin", L"R:\\Kestrova\\Orbelin",
};

std::vector<std::wstring> Joined(std::vector<std::wstring> head, const std::vector<std::wstring>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

TEST(InstallFolderListTest, EntriesAndSelectionByRightsModeAndExistingInstallation) {
    const std::wstring programFiles = L"C:\\Program Files\\Orbelin";
    const std::wstring appData = L"C:\\Users\\u\\AppData\\Roaming\\Orbelin";
    const struct {
        const char* name;
        bool administrator;
        bool portable;
        std::optional<std::wstring> existing;
        std::vector<std::wstring> entries;
        int selected;
    } rows[] = {
        // Without the rights the application-data folder comes first (Wine always has them, so
        // this rule is shown here with the probe's answer as input).
        {"user", false, false, std::nullopt, Joined({appData}, kDriveEntries), 0},
        {"administrator", true, false, std::nullopt, Joined({programFiles, appData}, kDriveEntries), 0},
        {"portable user", false, true, std::nullopt, Joined({appData}, kDriveEntries), 1},
        {"portable administrator", true, true, std::nullopt, Joined({programFiles, appData}, kDriveEntries), 2},
        {"existing elsewhere", false, false, L"F:\\Tools\\Orbelin",
         Joined({L"F:\\Tools\\Orbelin", appData}, kDriveEntries), 0},
        {"existing in the list, other letter case", true, false, L"c:\\kestrova\\ORBELIN",
         Joined({programFiles, appData}, kDriveEntries), 3},
        {"existing wins over portable", false, true, L"N:\\Orbelin", Joined({appData}, kDriveEntries), 5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FolderListInput input = TypicalInput();
        input.administrator = row.administrator;
        input.portable = row.portable;
        input.existingInstallation = row.existing;
        const FolderList list = InstallFolderList(input);
        EXPECT_EQ(list.entries, row.entries);
        EXPECT_EQ(list.selected, row.selected);
        EXPECT_EQ(list.editText, appData);
    }
}

TEST(InstallFolderListTest, NoSuitableDriveLeavesTheUserFolders) {
    FolderListInput input;
    input.appDataFolder = L"C:\\AppData\\";
    input.portable = true;
    input.drives = {{L"B:\\", DriveKind::kRemovable}, {L"D:\\", DriveKind::kCdRom}};
    const FolderList list = InstallFolderList(input);
    EXPECT_EQ(list.entries, std::vector<std::wstring>{L"C:\\AppData\\Orbelin"});
    EXPECT_EQ(list.selected, 0);
}

TEST(InstallFolderTextTest, NormalisedFolders) {
    const struct {
        std::wstring typed, expected;
    } rows[] = {
        {L"C:\\Program Files\\Orbelin", L"C:\\Program Files\\Orbelin"},
        {L"  C:/a b/Orbelin/  ", L"C:\\a b\\Orbelin"},
        {L"C:\\\\a\\\\\\b\\", L"C:\\a\\b"},
        {L"D:", L"D:\\"},
        {L"D:\\", L"D:\\"},
        {L"\\\\server\\share\\Orbelin", L"\\\\server\\share\\Orbelin"},
        {L"//server/share//Orbelin/", L"\\\\server\\share\\Orbelin"},
        {L"   ", L""},
        {L"", L""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        EXPECT_EQ(NormalizeInstallFolder(row.typed), row.expected);
    }
}

TEST(InstallFolderTextTest, OnlyAFullPathNamesAnInstallationFolder) {
    // A folder that is not given by its full path would be taken from whatever folder is current
    // and recorded as typed, in the uninstall entry, the shortcuts and the Run value.
    const struct {
        std::wstring folder;
        bool full;
    } rows[] = {
        {L"C:\\Orbelin", true},
        {L"c:\\a\\..\\b", true},  // full, made canonical afterwards
        {L"D:\\", true},
        {L"\\\\server\\share\\Orbelin", true},
        {L"\\\\server\\share", true},
        {L"Orbelin", false},
        {L"..\\x", false},
        {L".\\Orbelin", false},
        {L"C:Orbelin", false},  // relative to the drive's current folder
        {L"\\Orbelin", false},  // relative to the current drive
        {L"\\\\server", false},
        {L"\\\\server\\", false},
        {L"\\\\?\\C:\\Orbelin", false},
        {L"\\\\.\\C:\\Orbelin", false},
        {L"1:\\Orbelin", false},
        {L"", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.folder);
        EXPECT_EQ(IsFullFolderPath(row.folder), row.full);
    }
}

TEST(InstallFolderTextTest, ChosenFolderGetsTheProgramFolderWithSingleBackslashes) {
    EXPECT_EQ(ChosenFolderEntry(L"D:\\"), L"D:\\Orbelin");
    EXPECT_EQ(ChosenFolderEntry(L"D:\\Tools"), L"D:\\Tools\\Orbelin");
    EXPECT_EQ(ChosenFolderEntry(L"\\\\server\\share"), L"\\\\server\\share\\Orbelin");
}

TEST(InstallFolderTextTest, PathLimitCountsTheLongestFileName) {
    // "\Orbelin_Uninstall.ini" is 22 characters: a folder of 237 still fits, 238 does not.
    const std::wstring fits = L"C:\\" + std::wstring(234, L'a');
    ASSERT_EQ(fits.size(), 237u);
    EXPECT_TRUE(InstallFolderFitsPathLimit(fits));
    EXPECT_FALSE(InstallFolderFitsPathLimit(fits + L"b"));
    EXPECT_FALSE(InstallFolderFitsPathLimit(L"C:\\" + std::wstring(247, L'a')));
    EXPECT_FALSE(InstallFolderFitsPathLimit(L""));
}

TEST(InstallFolderTextTest, SettingsFileWhereTheInstalledProgramLooksForIt) {
    const std::wstring appData = L"C:\\Users\\u\\AppData\\Roaming";
    EXPECT_EQ(InstalledSettingsPath(L"D:\\P", false, false, appData),
              L"C:\\Users\\u\\AppData\\Roaming\\Orbelin\\Orbelin.ini");
    EXPECT_EQ(InstalledSettingsPath(L"D:\\P", true, false, appData), L"D:\\P\\Orbelin.ini");
    EXPECT_EQ(InstalledSettingsPath(L"D:\\P", false, true, appData), L"D:\\P\\Orbelin.ini");
    EXPECT_EQ(InstalledSettingsPath(L"D:\\P", false, false, L""), L"D:\\P\\Orbelin.ini");
}

TEST(PortableRemovalRuleTest, OnlyTheCopysOwnSettingsFileGoes) {
    const std::wstring perUser = L"C:\\Users\\u\\AppData\\Roaming\\Orbelin\\Orbelin.ini";
    const std::wstring program = L"D:\\Stick\\Orbelin_portable.exe";
    const struct {
        const char* name;
        std::wstring settings;
        std::vector<std::wstring> installed;
        std::wstring deleted;
    } rows[] = {
        {"beside the program",
         L"D:\\Stick\\Orbelin.ini",
         {L"C:\\Program Files\\Orbelin\\Orbelin.exe"},
         L"D:\\Stick\\Orbelin.ini"},
        {"beside it, letter case aside", L"d:\\STICK\\Orbelin.ini", {}, L"d:\\STICK\\Orbelin.ini"},
        {"per user, no installed copy", perUser, {}, perUser},
        {"per user, an installed copy uses it", perUser, {L"C:\\Program Files\\Orbelin\\Orbelin.exe"}, L""},
        {"per user, the one installed copy is this one", perUser, {L"d:\\stick\\ORBELIN_PORTABLE.exe"}, perUser},
        {"per user, this one and another", perUser, {program, L"E:\\Orbelin\\Orbelin.exe"}, L""},
        {"elsewhere", L"E:\\Other\\Orbelin.ini", {}, L""},
        {"in a folder below the program's", L"D:\\Stick\\sub\\Orbelin.ini", {}, L""},
        {"none", L"", {}, L""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(SettingsFileOfPortableRemoval(program, row.settings, perUser, row.installed), row.deleted);
    }
}

TEST(SetupTextsTest, ListMessageNamesEachItemOnALineOfItsOwn) {
    EXPECT_EQ(ListMessage(L"These could not be removed", {L"C:\\a.lnk", L"HKEY_CURRENT_USER\\x"}),
              L"These could not be removed:\r\nC:\\a.lnk\r\nHKEY_CURRENT_USER\\x");
}

TEST(InstallFolderTextTest, FolderChainFromTheOutermostFolder) {
    const struct {
        std::wstring folder;
        std::vector<std::wstring> chain;
    } rows[] = {
        {L"C:\\a\\b c\\d", {L"C:\\a", L"C:\\a\\b c", L"C:\\a\\b c\\d"}},
        {L"C:\\Orbelin", {L"C:\\Orbelin"}},
        {L"C:\\", {}},
        {L"\\\\server\\share\\x\\y", {L"\\\\server\\share\\x", L"\\\\server\\share\\x\\y"}},
        {L"\\\\server\\share", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.folder);
        EXPECT_EQ(FolderChain(row.folder), row.chain);
    }
}

TEST(UninstallFolderArgumentTest, EveryFolderComesBackUnchangedWithoutBlanksOnTheWay) {
    for (const std::wstring folder : {L"C:\\Program Files\\Orbelin", L"C:\\a%20b\\Orbelin", L"C:\\100% sure\\%PATH%",
                                      L"C:\\%2", L"C:\\x%", L"C:\\%25 %20 %%20", L"C:\\plain"}) {
        SCOPED_TRACE(folder);
        const std::wstring argument = EncodeUninstallFolder(folder);
        EXPECT_EQ(argument.find(L' '), std::wstring::npos);
        EXPECT_EQ(DecodeUninstallFolder(argument), folder);
    }
    EXPECT_EQ(EncodeUninstallFolder(L"C:\\a b%"), L"C:\\a%20b%25");
}

TEST(UninstallFolderArgumentTest, OlderFormReadsOnlyBlanks) {
    // Older copies encoded only the blanks; a "%" stayed as it was.
    EXPECT_EQ(DecodeUninstallFolderOldForm(L"C:\\a%20b\\100%"), L"C:\\a b\\100%");
    EXPECT_EQ(DecodeUninstallFolderOldForm(L"C:\\x%25y"), L"C:\\x%25y");
    // Read in the new way, an old argument without "%25" still gives the same folder.
    EXPECT_EQ(DecodeUninstallFolder(L"C:\\a%20b\\100%"), L"C:\\a b\\100%");
}

TEST(TemporaryUninstallerTest, NameByRights) {
    EXPECT_EQ(TemporaryUninstallerPath(L"C:\\T\\Orbelin_uninstall_1a2b\\", true),
              L"C:\\T\\Orbelin_uninstall_1a2b\\Orbelin_Uninstall.exe");
    EXPECT_EQ(TemporaryUninstallerPath(L"C:\\T\\Orbelin_uninstall_1a2b\\", false),
              L"C:\\T\\Orbelin_uninstall_1a2b\\Orbelin_away_with_it.exe");
}

TEST(TemporaryUninstallerTest, OnlyACopyInAFolderOfItsOwnInTheTemporaryFolder) {
    // The copy lives in a folder of its own: the shared temporary folder is open to every
    // process of the user, and the copy may run with administrator rights.
    const struct {
        const wchar_t* program;
        const wchar_t* temporaryFolder;
        bool temporaryUninstaller;
    } rows[] = {
        {L"C:\\T\\Orbelin_uninstall_1a2b\\Orbelin_Uninstall.exe", L"C:\\T\\", true},
        {L"c:\\t\\ORBELIN_UNINSTALL_1A2B\\orbelin_away_with_it.EXE", L"C:\\T\\", true},
        {L"C:\\T\\Orbelin_Uninstall.exe", L"C:\\T\\", false},  // in the shared folder itself
        {L"C:\\T\\Orbelin_away_with_it.exe", L"C:\\T\\", false},
        {L"C:\\T\\Orbelin_uninstall_\\Orbelin_Uninstall.exe", L"C:\\T\\", false},  // no number
        {L"C:\\T\\other_1a2b\\Orbelin_Uninstall.exe", L"C:\\T\\", false},
        {L"C:\\T\\Orbelin_uninstall_1a2b\\Orbelin.exe", L"C:\\T\\", false},
        {L"C:\\T\\Orbelin_uninstall_1a2b\\x\\Orbelin_Uninstall.exe", L"C:\\T\\", false},
        {L"C:\\T\\Orbelin_uninstall_..\\Orbelin_Uninstall.exe", L"C:\\T\\", false},
        {L"C:\\P\\Orbelin_uninstall_1a2b\\Orbelin_Uninstall.exe", L"C:\\T\\", false},
        {L"C:\\Tx\\Orbelin_uninstall_1a2b\\Orbelin_Uninstall.exe", L"C:\\T", false},
        {L"C:\\T\\Orbelin_uninstall_1a2b\\Orbelin_Uninstall.exe", L"", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.program);
        EXPECT_EQ(IsTemporaryUninstaller(row.program, row.temporaryFolder), row.temporaryUninstaller);
    }
}

TEST(RecordedShortcutTest, OnlyTheInstallersOwnLinksInTheirFolders) {
    const std::vector<std::wstring> desktops = {L"C:\\Users\\u\\Desktop", L"C:\\Users\\Public\\Desktop"};
    const struct {
        const char* name;
        std::wstring recorded;
        bool removable;
    } rows[] = {
        {"the desktop link", L"C:\\Users\\u\\Desktop\\Orbelin.lnk", true},
        {"other letter case", L"c:\\users\\PUBLIC\\desktop\\ORBELIN.LNK", true},
        {"the folder itself", L"C:\\Users\\u\\Desktop", false},
        {"a folder of the desktop", L"C:\\Users\\u\\Desktop\\Orbelin.lnk\\", false},
        {"another file", L"C:\\Users\\u\\Desktop\\Thesis.docx", false},
        {"below the desktop", L"C:\\Users\\u\\Desktop\\Work\\Orbelin.lnk", false},
        {"climbing out", L"C:\\Users\\u\\Desktop\\..\\Documents\\Orbelin.lnk", false},
        {"climbing out and back", L"C:\\Users\\u\\Desktop\\..\\Desktop\\Orbelin.lnk", false},
        {"another folder", L"C:\\Windows\\Orbelin.lnk", false},
        {"forward slashes", L"C:/Users/u/Desktop/Orbelin.lnk", false},
        {"empty", L"", false},
        {"a name only", L"Orbelin.lnk", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(IsRemovableShortcutPath(row.recorded, kProgramShortcutName, desktops), row.removable);
    }
    EXPECT_FALSE(IsRemovableShortcutPath(L"C:\\Users\\u\\Desktop\\Orbelin.lnk", kUninstallShortcutName, desktops));
    EXPECT_FALSE(IsRemovableShortcutPath(L"C:\\Users\\u\\Desktop\\Orbelin.lnk", kProgramShortcutName, {L""}));
}

TEST(SetupTextsTest, TitlesQuestionAndLanguageEntries) {
    EXPECT_EQ(InstallDialogTitle(true, L"Orbelin 1.0.0"), L"Micro Install (Admin) - Orbelin 1.0.0");
    EXPECT_EQ(InstallDialogTitle(false, L"Orbelin 1.0.0"), L"Micro Install  - Orbelin 1.0.0");
    EXPECT_EQ(UninstallDialogTitle(true, L"Orbelin 1.0.0"), L"Micro Uninstall (Admin) - Orbelin 1.0.0");
    EXPECT_EQ(OverwriteQuestion(L"The \"%s\" already exists. \\n Overwrite?", L"C:\\new\\Orbelin.exe", L"Kept!"),
              L"The \"C:\\new\\Orbelin.exe\" already exists. \r\n Overwrite?\r\nKept!");
    EXPECT_EQ(LanguageListEntry(L"English\tEnglisch"), std::optional<std::wstring>(L"English <===> Englisch"));
    EXPECT_EQ(LanguageListEntry(L"Dansk"), std::nullopt);
    EXPECT_EQ(LanguageListEntry(L""), std::nullopt);
}

TEST(UninstallEntryValuesTest, EveryValueWithItsKind) {
    const std::vector<UninstallEntryValue> values = UninstallEntryValues(
        L"C:\\a b\\Orbelin.exe", L"https://www.kestrova.com/?seite=Freeware/Orbelin", L"Orbelin 1.0.0", L"Maker com");
    const std::vector<std::pair<std::wstring, std::wstring>> texts = {
        {L"DisplayName", L"Orbelin"},
        {L"UninstallString", L"\"C:\\a b\\Orbelin.exe\" -?uninstall"},
        {L"DisplayIcon", L"C:\\a b\\Orbelin.exe,0"},
        {L"URLInfoAbout", L"https://www.kestrova.com/?seite=Freeware/Orbelin"},
        {L"URLUpdateInfo", L"https://www.kestrova.com/?seite=Freeware/Orbelin/History"},
        {L"Comments", L"Orbelin 1.0.0"},
        {L"Publisher", L"Maker com"},
    };
    ASSERT_EQ(values.size(), texts.size() + 1);
    for (const auto& [name, text] : texts) {
        SCOPED_TRACE(name);
        bool found = false;
        for (const UninstallEntryValue& value : values) {
            if (value.name != name) continue;
            found = true;
            EXPECT_EQ(value.text, text);
            EXPECT_FALSE(value.number.has_value());
        }
        EXPECT_TRUE(found);
    }
    bool sizeFound = false;
    for (const UninstallEntryValue& value : values) {
        if (value.name == L"EstimatedSize") {
            sizeFound = true;
            EXPECT_EQ(value.number, std::optional<unsigned long>(200));
        }
    }
    EXPECT_TRUE(sizeFound);
}

}  // namespace
