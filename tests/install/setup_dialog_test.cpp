// The installation and uninstall dialogs, made in the test process from the program's own
// resources and language texts and driven with real messages. What the dialogs start (the
// elevated installer, the installation, the removal) is handed in, so that the rules of the
// boxes can be followed without changing the machine; the steps themselves are tested end to
// end with the real program.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/built_program_languages.h"
#include "common/message_pump.h"
#include "common/shell_open_recorder.h"
#include "common/test_files.h"
#include "common/window_text.h"
#include "lang/language_archive.h"
#include "res/resource.h"
#include "install/install_dialog.h"
#include "install/uninstall_dialog.h"

namespace {

std::wstring ArchiveText(int language, int id) {
    const wchar_t* text = LoadedLanguageArchive()->Lookup(language, id);
    return text != nullptr ? text : L"";
}

class SetupDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(LoadBuiltProgramArchive()) << "the archive of the program named by ORBELIN_EXE";
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
    }
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        SetCurrentLanguageIndex(kLanguageEnglish);
    }
    void TearDown() override {
        SetCurrentLanguageIndex(kLanguageEnglish);
        CoUninitialize();
    }

    // A setup that records what the dialog asks for.
    InstallDialogSetup RecordingSetup(bool administrator, bool portable = false) {
        InstallDialogSetup setup;
        setup.administrator = administrator;
        setup.portable = portable;
        setup.folders.administrator = administrator;
        setup.folders.portable = portable;
        setup.folders.programFilesFolder = L"C:\\Program Files";
        setup.folders.appDataFolder = L"C:\\users\\u\\AppData\\Roaming";
        setup.folders.drives = {{L"C:\\", DriveKind::kFixed}, {L"Z:\\", DriveKind::kFixed}};
        setup.startElevated = [this](const std::wstring& parameters) {
            m_elevations.push_back(parameters);
            return m_elevationStarts;
        };
        setup.install = [this](HWND owner, const InstallChoices& choices) {
            m_installOwner = owner;
            m_choices.push_back(choices);
            return m_installResult;
        };
        setup.startInstalled = [this](const std::wstring& program) {
            m_started.push_back(program);
            return true;
        };
        return setup;
    }

    static bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
    static void Click(HWND dialog, int id) {
        SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0);
        HandleWaitingMessages();
    }

    std::vector<std::wstring> m_elevations;
    bool m_elevationStarts = false;
    std::vector<InstallChoices> m_choices;
    InstallResult m_installResult;
    HWND m_installOwner = nullptr;
    std::vector<std::wstring> m_started;
};

// The item of the language list that carries `language`, or -1.
int LanguageItem(HWND dialog, int language) {
    const int count = static_cast<int>(SendDlgItemMessageW(dialog, IDC_SETUP_LANGUAGE, CB_GETCOUNT, 0, 0));
    for (int item = 0; item < count; ++item) {
        if (SendDlgItemMessageW(dialog, IDC_SETUP_LANGUAGE, CB_GETITEMDATA, item, 0) == language) return item;
    }
    return -1;
}

void ChooseLanguage(HWND dialog, int language) {
    const int item = LanguageItem(dialog, language);
    ASSERT_GE(item, 0);
    SendDlgItemMessageW(dialog, IDC_SETUP_LANGUAGE, CB_SETCURSEL, item, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SETUP_LANGUAGE, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_SETUP_LANGUAGE)));
    HandleWaitingMessages();
}

const struct {
    int control;
    int text;
} kInstallLabels[] = {
    {IDC_SETUP_LANGUAGE_LABEL, 200},
    {IDC_SETUP_FOLDER_LABEL, 208},
    {IDC_SETUP_CHOOSE_FOLDER, 210},
    {IDC_SETUP_PORTABLE, 211},
    {IDC_SETUP_DESKTOP_SHORTCUT, 204},
    {IDC_SETUP_START_WITH_WINDOWS, 207},
    {IDC_SETUP_START_MENU, 205},
    {IDC_SETUP_FOR_ALL_USERS, 206},
    {IDC_SETUP_AS_ADMIN, 220},
    {IDC_SETUP_EULA, 212},
    {IDC_SETUP_INSTALL_GROUP, 201},
    {IDOK, 201},
    {IDCANCEL, 209},
};

TEST_F(SetupDialogTest, InstallDialogTitleLabelsAndLanguageSwitch) {
    for (bool administrator : {false, true}) {
        SCOPED_TRACE(administrator ? "administrator" : "user");
        SetCurrentLanguageIndex(kLanguageEnglish);
        InstallDialog dialog(RecordingSetup(administrator));
        HWND window = dialog.CreateModeless();
        ASSERT_NE(window, nullptr);
        const std::wstring programTitle = LangHeaderString(19);
        EXPECT_EQ(WindowText(window),
                  std::wstring(administrator ? L"Micro Install (Admin) - " : L"Micro Install  - ") + programTitle);
        EXPECT_EQ(WindowText(GetDlgItem(window, IDOK)), L"Install");
        EXPECT_EQ(WindowText(GetDlgItem(window, IDC_SETUP_PORTABLE)), L"Portable installation");
        for (const auto& label : kInstallLabels) {
            SCOPED_TRACE(label.control);
            EXPECT_EQ(WindowText(GetDlgItem(window, label.control)), ArchiveText(kLanguageEnglish, label.text));
        }
        // Every language with a name, English selected.
        const int englishItem = LanguageItem(window, kLanguageEnglish);
        ASSERT_GE(englishItem, 0);
        EXPECT_EQ(SendDlgItemMessageW(window, IDC_SETUP_LANGUAGE, CB_GETCURSEL, 0, 0), englishItem);
        wchar_t entry[256] = L"";
        SendDlgItemMessageW(window, IDC_SETUP_LANGUAGE, CB_GETLBTEXT, englishItem, reinterpret_cast<LPARAM>(entry));
        EXPECT_EQ(std::wstring(entry), L"English <===> Englisch");
        EXPECT_EQ(SendDlgItemMessageW(window, IDC_SETUP_LANGUAGE, CB_GETCOUNT, 0, 0), kLanguageCount);

        // German relabels the dialog at once.
        ChooseLanguage(window, kLanguageGerman);
        EXPECT_EQ(CurrentLanguageIndex(), kLanguageGerman);
        for (const auto& label : kInstallLabels) {
            SCOPED_TRACE(label.control);
            EXPECT_EQ(WindowText(GetDlgItem(window, label.control)), ArchiveText(kLanguageGerman, label.text));
        }
        EXPECT_NE(WindowText(GetDlgItem(window, IDOK)), L"Install");
        EXPECT_FALSE(dialog.Ended());
    }
}

TEST_F(SetupDialogTest, BoxesStartByRightsAndMode) {
    // The all-users box starts ticked only with the rights to install for all users (a "forall"
    // request of a process without them, whose elevation did not happen, ticks nothing).
    const struct {
        const char* name;
        bool administrator, portable;
        bool portableBox, forAllBox, forAllEnabled, adminBox;
    } rows[] = {
        {"user", false, false, false, false, true, false},
        {"administrator", true, false, false, true, true, true},
        {"portable administrator", true, true, true, false, false, true},
        {"portable user", false, true, true, false, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        InstallDialog dialog(RecordingSetup(row.administrator, row.portable));
        HWND window = dialog.CreateModeless();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(Checked(window, IDC_SETUP_DESKTOP_SHORTCUT));
        EXPECT_TRUE(Checked(window, IDC_SETUP_START_MENU));
        EXPECT_FALSE(Checked(window, IDC_SETUP_START_WITH_WINDOWS));
        EXPECT_EQ(Checked(window, IDC_SETUP_PORTABLE), row.portableBox);
        EXPECT_EQ(Checked(window, IDC_SETUP_FOR_ALL_USERS), row.forAllBox);
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(window, IDC_SETUP_FOR_ALL_USERS)) != FALSE, row.forAllEnabled);
        EXPECT_EQ(Checked(window, IDC_SETUP_AS_ADMIN), row.adminBox);
    }
}

TEST_F(SetupDialogTest, FolderListFollowsTheRights) {
    for (bool administrator : {false, true}) {
        SCOPED_TRACE(administrator ? "administrator" : "user");
        InstallDialogSetup setup = RecordingSetup(administrator);
        const FolderList expected = InstallFolderList(setup.folders);
        InstallDialog dialog(std::move(setup));
        HWND window = dialog.CreateModeless();
        ASSERT_NE(window, nullptr);
        std::vector<std::wstring> entries;
        const int count = static_cast<int>(SendDlgItemMessageW(window, IDC_SETUP_FOLDER, CB_GETCOUNT, 0, 0));
        for (int item = 0; item < count; ++item) {
            wchar_t entry[1100] = L"";
            SendDlgItemMessageW(window, IDC_SETUP_FOLDER, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(entry));
            entries.push_back(entry);
        }
        EXPECT_EQ(entries, expected.entries);
        ASSERT_FALSE(entries.empty());
        EXPECT_EQ(entries[0],
                  administrator ? L"C:\\Program Files\\Orbelin" : L"C:\\users\\u\\AppData\\Roaming\\Orbelin");
        EXPECT_EQ(SendDlgItemMessageW(window, IDC_SETUP_FOLDER, CB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(WindowText(GetDlgItem(window, IDC_SETUP_FOLDER)), entries[0]);
    }
}

TEST_F(SetupDialogTest, PortableClearsAndDisablesAllUsersAndGivesItBackUnticked) {
    InstallDialog dialog(RecordingSetup(true));
    HWND window = dialog.CreateModeless();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(Checked(window, IDC_SETUP_FOR_ALL_USERS));
    Click(window, IDC_SETUP_PORTABLE);
    EXPECT_TRUE(Checked(window, IDC_SETUP_PORTABLE));
    EXPECT_FALSE(Checked(window, IDC_SETUP_FOR_ALL_USERS));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_SETUP_FOR_ALL_USERS)));
    Click(window, IDC_SETUP_PORTABLE);
    EXPECT_FALSE(Checked(window, IDC_SETUP_PORTABLE));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, IDC_SETUP_FOR_ALL_USERS)));
    EXPECT_FALSE(Checked(window, IDC_SETUP_FOR_ALL_USERS));
    EXPECT_TRUE(m_elevations.empty());
}

// Wine counts every process as an administrator, so the elevation is followed here with the
// probe's answer given as "no rights" and the elevated start recorded instead of made.
TEST_F(SetupDialogTest, AllUsersOrAdministratorWithoutRightsStartsTheInstallerElevated) {
    {
        SCOPED_TRACE("refused elevation");
        m_elevationStarts = false;
        InstallDialog dialog(RecordingSetup(false));
        HWND window = dialog.CreateModeless();
        ASSERT_NE(window, nullptr);
        ChooseLanguage(window, kLanguageFrench);
        Click(window, IDC_SETUP_FOR_ALL_USERS);
        ASSERT_EQ(m_elevations.size(), 1u);
        EXPECT_EQ(m_elevations[0], L" m_lang_id:7 -?install forall");
        EXPECT_FALSE(Checked(window, IDC_SETUP_FOR_ALL_USERS)) << "the clicked box is cleared";
        EXPECT_FALSE(dialog.Ended()) << "a refused elevation leaves the dialog open";
        Click(window, IDC_SETUP_AS_ADMIN);
        ASSERT_EQ(m_elevations.size(), 2u);
        EXPECT_EQ(m_elevations[1], L" m_lang_id:7 -?install");
        EXPECT_FALSE(Checked(window, IDC_SETUP_AS_ADMIN));
        EXPECT_FALSE(dialog.Ended());
    }
    {
        SCOPED_TRACE("elevated installer started");
        m_elevations.clear();
        m_elevationStarts = true;
        SetCurrentLanguageIndex(kLanguageEnglish);
        InstallDialog dialog(RecordingSetup(false));
        HWND window = dialog.CreateModeless();
        ASSERT_NE(window, nullptr);
        Click(window, IDC_SETUP_AS_ADMIN);
        ASSERT_EQ(m_elevations.size(), 1u);
        EXPECT_EQ(m_elevations[0], L" m_lang_id:1 -?install");
        EXPECT_TRUE(dialog.Ended());
        EXPECT_EQ(dialog.Result(), IDCANCEL);
        EXPECT_TRUE(m_choices.empty()) << "this copy installs nothing";
    }
    {
        SCOPED_TRACE("an administrator needs no elevation");
        m_elevations.clear();
        InstallDialog dialog(RecordingSetup(true));
        HWND window = dialog.CreateModeless();
        ASSERT_NE(window, nullptr);
        Click(window, IDC_SETUP_FOR_ALL_USERS);
        Click(window, IDC_SETUP_FOR_ALL_USERS);
        EXPECT_TRUE(Checked(window, IDC_SETUP_FOR_ALL_USERS));
        EXPECT_TRUE(m_elevations.empty());
        EXPECT_FALSE(dialog.Ended());
    }
}

TEST_F(SetupDialogTest, InstallHandsOverTheChoicesAndEndsOnlyAfterAnInstallation) {
    InstallDialog dialog(RecordingSetup(true));
    HWND window = dialog.CreateModeless();
    ASSERT_NE(window, nullptr);
    SetDlgItemTextW(window, IDC_SETUP_FOLDER, L"  D:/Tools//Orbelin/ ");
    Click(window, IDC_SETUP_DESKTOP_SHORTCUT);
    Click(window, IDC_SETUP_START_WITH_WINDOWS);
    ChooseLanguage(window, kLanguageItalian);

    m_installResult.installed = false;
    m_installResult.folder = L"D:\\Tools\\Orbelin";
    Click(window, IDOK);
    ASSERT_EQ(m_choices.size(), 1u);
    EXPECT_EQ(m_installOwner, window);
    const InstallChoices& choices = m_choices[0];
    EXPECT_EQ(choices.folderText, L"  D:/Tools//Orbelin/ ");
    EXPECT_EQ(choices.language, kLanguageItalian);
    EXPECT_FALSE(choices.desktopShortcut);
    EXPECT_TRUE(choices.startWithWindows);
    EXPECT_TRUE(choices.startMenuShortcut);
    EXPECT_TRUE(choices.forAllUsers);
    EXPECT_FALSE(choices.portable);
    // The normalised folder is written back; a failed installation leaves the dialog open.
    EXPECT_EQ(WindowText(GetDlgItem(window, IDC_SETUP_FOLDER)), L"D:\\Tools\\Orbelin");
    EXPECT_FALSE(dialog.Ended());
    EXPECT_TRUE(m_started.empty());

    m_installResult.installed = true;
    m_installResult.programPath = L"D:\\Tools\\Orbelin\\Orbelin.exe";
    Click(window, IDC_SETUP_PORTABLE);
    Click(window, IDOK);
    ASSERT_EQ(m_choices.size(), 2u);
    EXPECT_TRUE(m_choices[1].portable);
    EXPECT_FALSE(m_choices[1].forAllUsers);
    EXPECT_EQ(m_started, std::vector<std::wstring>{L"D:\\Tools\\Orbelin\\Orbelin.exe"});
    EXPECT_TRUE(dialog.Ended());
    EXPECT_EQ(dialog.Result(), IDOK);
}

TEST_F(SetupDialogTest, EulaOpensTheLicencePageOfTheLanguage) {
    ShellOpenRecorder recorder({L"http", L"https"});
    InstallDialog dialog(RecordingSetup(true));
    HWND window = dialog.CreateModeless();
    ASSERT_NE(window, nullptr);
    Click(window, IDC_SETUP_EULA);
    // One page at a time: two recorders started at once would both append to the one record
    // file, and the second finds it taken.
    recorder.WaitForOpened(1, 10000);
    ChooseLanguage(window, kLanguageGerman);
    Click(window, IDC_SETUP_EULA);
    // The recorder sees every "open" in the prefix: a page that a program of an earlier test
    // asked for may arrive late. Only the licence pages are this dialog's.
    std::vector<std::wstring> opened;
    std::wstring seen;
    for (const DWORD start = GetTickCount(); opened.size() < 2 && GetTickCount() - start < 10000; Sleep(50)) {
        opened.clear();
        seen.clear();
        for (const std::wstring& page : recorder.Opened()) {
            seen += page + L"\n";
            if (page.find(L"/?seite=Freeware/Orbelin/") != std::wstring::npos) opened.push_back(page);
        }
    }
    SCOPED_TRACE(seen);
    ASSERT_EQ(opened.size(), 2u);
    // The site's host follows the region of the language and time zone; the page does not.
    EXPECT_NE(opened[0].find(L"/?seite=Freeware/Orbelin/Eula"), std::wstring::npos);
    EXPECT_NE(opened[1].find(L"/?seite=Freeware/Orbelin/Lizenz"), std::wstring::npos);
    EXPECT_NE(opened[1].find(L".de/"), std::wstring::npos);
    EXPECT_FALSE(dialog.Ended());
}

TEST_F(SetupDialogTest, UninstallDialogShowsTheFolderAndEndsOnlyAfterTheRemoval) {
    const std::wstring folder = L"C:\\a b\\Orbelin";
    int removals = 0;
    bool removalSucceeds = false;
    int pages = 0;
    UninstallDialogSetup setup;
    setup.administrator = true;
    setup.folder = folder;
    setup.remove = [&](HWND, const std::wstring& removed) {
        EXPECT_EQ(removed, folder);
        ++removals;
        return removalSucceeds;
    };
    setup.openUninstallPage = [&] { ++pages; };
    UninstallDialog dialog(setup);
    HWND window = dialog.CreateModeless();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(window), L"Micro Uninstall (Admin) - " + LangHeaderString(19));
    EXPECT_EQ(WindowText(GetDlgItem(window, IDC_SETUP_FOLDER)), folder);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_SETUP_FOLDER)));
    EXPECT_EQ(WindowText(GetDlgItem(window, IDOK)), L"Uninstall");
    EXPECT_EQ(WindowText(GetDlgItem(window, IDC_SETUP_UNINSTALL_GROUP)), L"Uninstall");
    EXPECT_EQ(WindowText(GetDlgItem(window, IDCANCEL)), L"Cancel");

    ChooseLanguage(window, kLanguageGerman);
    EXPECT_EQ(WindowText(GetDlgItem(window, IDOK)), ArchiveText(kLanguageGerman, 202));

    Click(window, IDOK);
    EXPECT_EQ(removals, 1);
    EXPECT_EQ(pages, 0) << "a stopped removal opens no page";
    EXPECT_FALSE(dialog.Ended());

    removalSucceeds = true;
    Click(window, IDOK);
    EXPECT_EQ(removals, 2);
    EXPECT_EQ(pages, 1);
    EXPECT_TRUE(dialog.Ended());
    EXPECT_EQ(dialog.Result(), IDOK);

    UninstallDialog cancelled(setup);
    HWND other = cancelled.CreateModeless();
    ASSERT_NE(other, nullptr);
    Click(other, IDCANCEL);
    EXPECT_TRUE(cancelled.Ended());
    EXPECT_EQ(cancelled.Result(), IDCANCEL);
    EXPECT_EQ(removals, 2);
}

}  // namespace
