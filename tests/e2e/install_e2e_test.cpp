// The real program as its own installer and uninstaller: a downloaded copy installs itself into
// a throw-away folder, the installed program starts, and the uninstall entry's command takes
// everything away again. What the installation touches outside its folder (shortcuts, the Run
// value, the uninstall entry, the per-user settings, the temporary folder) is put back as it
// was at the end of every test.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/installation_guard.h"
#include "common/shell_open_recorder.h"
#include "common/test_files.h"
#include "e2e/orbelin_ui.h"
#include "e2e/program_driver.h"
#include "install/shell_link.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 20000;
constexpr DWORD kRemovalTimeoutMs = 30000;

// Wine counts every process as an administrator (it may create keys below HKEY_CLASSES_ROOT),
// so the installer's dialogs carry "(Admin)", its folder list starts with the program-files
// folder and the temporary uninstaller has the administrator's name. The rules for a process
// without the rights are followed in setup_dialog_tests with the probe's answer as input.
constexpr const wchar_t* kInstallTitle = L"Micro Install (Admin) - Orbelin 1.0";
constexpr const wchar_t* kUninstallTitle = L"Micro Uninstall (Admin) - Orbelin 1.0";

// Installation dialog controls.
constexpr int kFolderCombo = 1041;
constexpr int kPortableBox = 1018;
constexpr int kDesktopBox = 1014;
constexpr int kStartWithWindowsBox = 1015;
constexpr int kStartMenuBox = 1016;
constexpr int kForAllUsersBox = 1017;

// The main window of a running copy of the program, or null.
HWND ProgramMainWindow() { return FindWindowW(kMainWindowClass, kMainWindowTitle); }

// Ends the copy of the program that owns `mainWindow` and waits for it to go.
void EndProgramOf(HWND mainWindow) {
    if (mainWindow == nullptr) return;
    DWORD processId = 0;
    GetWindowThreadProcessId(mainWindow, &processId);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId);
    PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    if (process == nullptr) return;
    if (WaitForSingleObject(process, kExitTimeoutMs) != WAIT_OBJECT_0) TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

// The installed program, which the installer starts through the desktop shell: found by its
// main window, ended when the object goes.
class InstalledProgram {
public:
    ~InstalledProgram() { End(); }
    bool WaitForStart() {
        WaitUntil([&] { return (m_mainWindow = ProgramMainWindow()) != nullptr; }, kStartTimeoutMs);
        return m_mainWindow != nullptr;
    }
    HWND MainWindow() const { return m_mainWindow; }
    std::wstring ProgramPath() const {
        DWORD processId = 0;
        GetWindowThreadProcessId(m_mainWindow, &processId);
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
        if (process == nullptr) return L"";
        wchar_t path[MAX_PATH] = L"";
        DWORD length = MAX_PATH;
        QueryFullProcessImageNameW(process, 0, path, &length);
        CloseHandle(process);
        return path;
    }
    // The settings dialog of that copy, or null.
    HWND SettingsDialog() const {
        DWORD processId = 0;
        GetWindowThreadProcessId(m_mainWindow, &processId);
        for (HWND window : TopLevelWindowsOf(processId)) {
            wchar_t className[64] = L"";
            GetClassNameW(window, className, 64);
            if (lstrcmpW(className, kDialogClass) == 0 && GetDlgItem(window, kSizeSlider) != nullptr) return window;
        }
        return nullptr;
    }
    void End() {
        EndProgramOf(m_mainWindow);
        m_mainWindow = nullptr;
    }

private:
    HWND m_mainWindow = nullptr;
};

class InstallE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(BuiltProgramPath().empty()) << "ORBELIN_EXE is not set";
        ASSERT_EQ(ProgramMainWindow(), nullptr) << "a copy of the program is running already";
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        m_download = CopyProgramTo(m_downloads.Path(), L"Orbelin_setup.exe");
        ASSERT_FALSE(m_download.empty());
    }
    void TearDown() override { CoUninitialize(); }

    // Starts the downloaded copy (its name makes it the installer) and waits for the dialog.
    std::unique_ptr<RunningProgram> StartInstaller(const std::wstring& arguments = L"") {
        auto installer = std::make_unique<RunningProgram>(m_download, arguments);
        m_dialog =
            installer->Started() ? installer->WaitForWindow(kDialogClass, kInstallTitle, kStartTimeoutMs) : nullptr;
        return installer;
    }

    // Fills the folder, sets the check boxes and presses "Install".
    void Install(const std::wstring& folder, bool forAllUsers, bool startWithWindows) {
        DialogDriver dialog(m_dialog);
        SendMessageTimeoutW(dialog.Control(kFolderCombo), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()),
                            SMTO_NORMAL, 5000, nullptr);
        if (dialog.IsChecked(kForAllUsersBox) != forAllUsers) dialog.Click(kForAllUsersBox);
        if (dialog.IsChecked(kStartWithWindowsBox) != startWithWindows) dialog.Click(kStartWithWindowsBox);
        ASSERT_TRUE(dialog.IsChecked(kDesktopBox));
        ASSERT_TRUE(dialog.IsChecked(kStartMenuBox));
        PostMessageW(m_dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(dialog.Control(IDOK)));
    }

    // Installs into `folder` and waits for the installer to end and the installed copy to start.
    void InstallAndStart(const std::wstring& folder, bool forAllUsers, bool startWithWindows,
                         InstalledProgram& installed) {
        auto installer = StartInstaller();
        ASSERT_NE(m_dialog, nullptr) << "no installation dialog";
        Install(folder, forAllUsers, startWithWindows);
        const ShownBox box = WaitForMessageBox(*installer, 2000);
        EXPECT_EQ(box.window, nullptr) << box.text;
        ASSERT_EQ(installer->WaitForExit(kExitTimeoutMs), std::optional<DWORD>(0));
        ASSERT_TRUE(installed.WaitForStart()) << "the installed program did not start";
    }

    TestFolder m_downloads{L"install downloads"};
    TestFolder m_root{L"install e2e"};
    std::wstring m_download;
    HWND m_dialog = nullptr;
};

std::wstring InfoValue(const std::wstring& folder, const std::wstring& key) {
    return ReadIniValue(folder + L"\\Orbelin_Uninstall.ini", L"Program", key);
}

void ExpectLink(const std::wstring& link, const std::wstring& program, const std::wstring& arguments) {
    SCOPED_TRACE(link);
    const std::optional<ShellLinkContent> content = ReadShellLink(link);
    ASSERT_TRUE(content.has_value()) << "no shell link";
    EXPECT_EQ(content->target, program);
    EXPECT_EQ(content->arguments, arguments);
    EXPECT_EQ(content->workingFolder, program.substr(0, program.find_last_of(L'\\')));
}

TEST_F(InstallE2eTest, InstallsIntoAFolderWithBlanksAndTheInstalledProgramStarts) {
    InstallationGuard machine;
    const std::wstring folder = m_root / L"my programs\\Orbelin x";
    const std::wstring program = folder + L"\\Orbelin.exe";
    InstalledProgram installed;
    InstallAndStart(folder, false, true, installed);

    // The program, byte for byte the downloaded file, started from its new place.
    EXPECT_EQ(ReadFileBytes(program), ReadFileBytes(m_download));
    EXPECT_TRUE(_wcsicmp(installed.ProgramPath().c_str(), program.c_str()) == 0) << installed.ProgramPath();

    // The uninstall information file with every key.
    const ShellPlaces places = ShellPlacesFor(false);
    const std::vector<std::pair<std::wstring, std::wstring>> keys = {
        {L"desktop_shortcut", places.desktopLink},
        {L"uninstall_shortcut", places.uninstallLink},
        {L"start_shortcut", places.startLink},
        {L"admin_install", L"1"},
        {L"for_all_install", L"0"},
        {L"install_dir", folder},
        {L"portable_install", L"0"},
        {L"lng", L"1"},
    };
    for (const auto& [key, value] : keys) {
        SCOPED_TRACE(key);
        EXPECT_EQ(InfoValue(folder, key), value);
    }
    EXPECT_TRUE(
        StartsWithUtf16Mark(ReadFileBytes(folder + L"\\Orbelin_Uninstall.ini").value_or(std::vector<uint8_t>{})));

    // Shortcuts as the shell reads them.
    ExpectLink(places.desktopLink, program, L"");
    ExpectLink(places.startLink, program, L"");
    ExpectLink(places.uninstallLink, program, L"-?uninstall");

    // The Run value starts the installed program, not the downloaded one.
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, kRunValueKey, L"Orbelin"),
              std::optional<std::wstring>(L"\"" + program + L"\" -bg"));
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, kRunValueKey, L"Orbelin").has_value());

    // The uninstall entry for this user with all values and types.
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallEntryKey));
    const std::vector<std::pair<std::wstring, std::wstring>> entryTexts = {
        {L"DisplayName", L"Orbelin"},
        {L"UninstallString", L"\"" + program + L"\" -?uninstall"},
        {L"DisplayIcon", program + L",0"},
        {L"Comments", L"Orbelin 1.0"},
    };
    for (const auto& [name, text] : entryTexts) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, kUninstallEntryKey, name), std::optional<std::wstring>(text));
    }
    const std::optional<std::wstring> page = ReadRegistryText(HKEY_CURRENT_USER, kUninstallEntryKey, L"URLInfoAbout");
    ASSERT_TRUE(page.has_value());
    EXPECT_NE(page->find(L"?seite=Freeware/Orbelin"), std::wstring::npos) << *page;
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, kUninstallEntryKey, L"URLUpdateInfo"),
              std::optional<std::wstring>(*page + L"/History"));
    const std::optional<std::wstring> publisher = ReadRegistryText(HKEY_CURRENT_USER, kUninstallEntryKey, L"Publisher");
    ASSERT_TRUE(publisher.has_value());
    EXPECT_EQ(publisher->substr(publisher->size() - 3), L"com") << *publisher;
    const std::optional<StoredValue> size = ReadRegistryValue(HKEY_CURRENT_USER, kUninstallEntryKey, L"EstimatedSize");
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->type, static_cast<DWORD>(REG_DWORD));
    ASSERT_EQ(size->bytes.size(), sizeof(DWORD));
    EXPECT_EQ(*reinterpret_cast<const DWORD*>(size->bytes.data()), 200u);

    // The installed program's settings file (per user: the installation is not portable) holds
    // the installer's keys.
    const std::wstring settings = PerUserSettingsPath();
    EXPECT_FALSE(FileExists(folder + L"\\Orbelin.ini"));
    EXPECT_EQ(ReadIniValue(settings, L"Program", L"install_dir"), folder);
    EXPECT_EQ(ReadIniValue(settings, L"Program", L"portable_install"), L"0");
    EXPECT_EQ(ReadIniValue(settings, L"Program", L"for_all_install"), L"0");
    EXPECT_EQ(ReadIniValue(settings, L"Program", L"admin_install"), L"1");
    EXPECT_EQ(ReadIniValue(settings, L"Program", L"lng"), L"1");
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::wstring installTime = ReadIniValue(settings, L"Program", L"Install_Time");
    EXPECT_NE(installTime.find(std::to_wstring(now.wYear)), std::wstring::npos) << installTime;
    EXPECT_NE(installTime.find(L':'), std::wstring::npos) << installTime;
}

TEST_F(InstallE2eTest, UninstallThroughTheEntryRemovesEverythingRecorded) {
    InstallationGuard machine;
    ShellOpenRecorder pages({L".url", L"http", L"https"});
    for (bool forAllUsers : {true, false}) {
        SCOPED_TRACE(forAllUsers ? "all users" : "this user");
        // Blanks, a "%20" and a "%" in the name: the folder passes the command line encoded.
        const std::wstring folder = m_root / (forAllUsers ? L"a b%20c 100%\\Orbelin" : L"x y\\Orbelin");
        const std::wstring program = folder + L"\\Orbelin.exe";
        const HKEY entryRoot = forAllUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        {
            InstalledProgram installed;
            InstallAndStart(folder, forAllUsers, true, installed);
        }
        const ShellPlaces places = ShellPlacesFor(forAllUsers);
        ASSERT_TRUE(FileExists(places.uninstallLink));
        ASSERT_TRUE(ReadRegistryText(entryRoot, kRunValueKey, L"Orbelin").has_value());
        // A file of the user's in the parent folder: only the installation goes.
        const std::wstring parent = folder.substr(0, folder.find_last_of(L'\\'));
        ASSERT_TRUE(WriteFileBytes(parent + L"\\notes.txt", std::string("mine")));

        // The entry's command, run as the system runs it.
        const std::vector<std::wstring> ownFoldersBefore = OwnTemporaryFolders();
        const std::optional<std::wstring> command = ReadRegistryText(entryRoot, kUninstallEntryKey, L"UninstallString");
        ASSERT_TRUE(command.has_value());
        std::wstring commandLine = *command;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &process));
        CloseHandle(process.hThread);
        EXPECT_EQ(WaitForSingleObject(process.hProcess, kExitTimeoutMs), WAIT_OBJECT_0) << "the first stage stays";
        CloseHandle(process.hProcess);

        // The second stage runs from a folder of its own in the temporary folder (not from the
        // temporary folder that every process of the user shares) and names the folder unchanged.
        HWND dialog = WaitForAnyTopLevelWindow(kDialogClass, kUninstallTitle, kStartTimeoutMs);
        ASSERT_NE(dialog, nullptr) << "no uninstall dialog";
        const std::vector<std::wstring> uninstallerFolders = OwnTemporaryFoldersLeft(ownFoldersBefore);
        ASSERT_EQ(uninstallerFolders.size(), 1u) << "the temporary uninstaller's own folder";
        const std::wstring temporaryCopy = uninstallerFolders[0] + L"\\Orbelin_Uninstall.exe";
        EXPECT_NE(uninstallerFolders[0].find(L"\\Orbelin_uninstall_"), std::wstring::npos);
        EXPECT_TRUE(FileExists(temporaryCopy));
        EXPECT_FALSE(FileExists(TemporaryFolderOfPrefix() + L"Orbelin_Uninstall.exe"));
        EXPECT_EQ(DialogDriver(dialog).Text(kFolderCombo), folder);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);

        const std::vector<std::wstring> gone = {program,
                                                folder + L"\\Orbelin_Uninstall.ini",
                                                PerUserSettingsPath(),
                                                places.desktopLink,
                                                places.startLink,
                                                places.uninstallLink,
                                                temporaryCopy};
        EXPECT_TRUE(WaitUntil(
            [&] {
                for (const std::wstring& file : gone) {
                    if (FileExists(file)) return false;
                }
                return OwnTemporaryFoldersLeft(ownFoldersBefore).empty();
            },
            kRemovalTimeoutMs));
        for (const std::wstring& file : gone) EXPECT_FALSE(FileExists(file)) << file;
        for (const std::wstring& left : OwnTemporaryFoldersLeft(ownFoldersBefore)) ADD_FAILURE() << left;
        EXPECT_FALSE(FolderExists(folder));
        EXPECT_FALSE(FolderExists(places.startMenuFolder));
        EXPECT_TRUE(FileExists(parent + L"\\notes.txt"));
        EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallEntryKey));
        EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kUninstallEntryKey));
        EXPECT_FALSE(ReadRegistryValue(HKEY_CURRENT_USER, kRunValueKey, L"Orbelin").has_value());
        EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, kRunValueKey, L"Orbelin").has_value());
        EXPECT_EQ(ProgramMainWindow(), nullptr);
    }
    // The uninstall page, once per uninstallation, handed to the desktop shell as an Internet
    // shortcut (the uninstaller runs as an administrator).
    const std::vector<std::wstring> opened = pages.WaitForOpened(2, 10000);
    ASSERT_EQ(opened.size(), 2u);
    for (const std::wstring& page : opened) {
        SCOPED_TRACE(page);
        EXPECT_NE(page.find(L"kestrova_tmp_link.url"), std::wstring::npos);
    }
    const auto shortcut = ReadFileBytes(TemporaryFolderOfPrefix() + L"kestrova_tmp_link.url");
    ASSERT_TRUE(shortcut.has_value());
    const std::string text(shortcut->begin(), shortcut->end());
    EXPECT_EQ(text.rfind("[InternetShortcut]\r\nURL=", 0), 0u) << text;
    EXPECT_NE(text.find("?seite=Freeware/Orbelin/Uninstall"), std::string::npos) << text;
}

TEST_F(InstallE2eTest, AFolderHoldingAUsersFileSurvivesWithThatFile) {
    InstallationGuard machine;
    const std::wstring folder = m_root / L"shared place";
    {
        InstalledProgram installed;
        InstallAndStart(folder, false, false, installed);
    }
    ASSERT_TRUE(WriteFileBytes(folder + L"\\thesis.txt", std::string("the user's")));
    // A damaged information file must not lead the uninstaller out of the recorded places.
    const std::wstring info = folder + L"\\Orbelin_Uninstall.ini";
    const std::wstring decoy = m_root / L"decoy";
    ASSERT_TRUE(CreateDirectoryW(decoy.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(decoy + L"\\Orbelin.lnk", std::string("not the installer's")));
    ASSERT_TRUE(
        WritePrivateProfileStringW(L"Program", L"desktop_shortcut", (decoy + L"\\Orbelin.lnk").c_str(), info.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Program", L"start_shortcut", decoy.c_str(), info.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Program", L"install_dir", decoy.c_str(), info.c_str()));

    const std::vector<std::wstring> ownFoldersBefore = OwnTemporaryFolders();
    RunningProgram firstStage(folder + L"\\Orbelin.exe", L"-?uninstall");
    EXPECT_EQ(firstStage.WaitForExit(kExitTimeoutMs), std::optional<DWORD>(0));
    HWND dialog = WaitForAnyTopLevelWindow(kDialogClass, kUninstallTitle, kStartTimeoutMs);
    ASSERT_NE(dialog, nullptr) << "no uninstall dialog";
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(WaitUntil([&] { return OwnTemporaryFoldersLeft(ownFoldersBefore).empty(); }, kRemovalTimeoutMs))
        << "the temporary uninstaller stayed";

    EXPECT_FALSE(FileExists(folder + L"\\Orbelin.exe"));
    EXPECT_FALSE(FileExists(info));
    EXPECT_TRUE(FolderExists(folder));
    const std::string thesis = "the user's";
    EXPECT_EQ(ReadFileBytes(folder + L"\\thesis.txt"),
              std::optional<std::vector<uint8_t>>(std::vector<uint8_t>(thesis.begin(), thesis.end())));
    EXPECT_TRUE(FileExists(decoy + L"\\Orbelin.lnk"));
    EXPECT_TRUE(FolderExists(decoy));
    // The desktop link is no longer recorded (the record names the decoy), so it stays; the
    // links still recorded go.
    EXPECT_TRUE(FileExists(ShellPlacesFor(false).desktopLink));
    EXPECT_FALSE(FileExists(ShellPlacesFor(false).uninstallLink));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kUninstallEntryKey));
}

TEST_F(InstallE2eTest, ReinstallKeepsTheSettingsAndARunningCopyStopsIt) {
    InstallationGuard machine;
    const std::wstring folder = m_root / L"again";
    const std::wstring program = folder + L"\\Orbelin.exe";
    InstalledProgram installed;
    InstallAndStart(folder, false, false, installed);

    // The installed copy runs: the installation asks, then stops with the message, and the
    // running copy brings its settings window to the front; nothing is overwritten.
    {
        HWND settingsDialog = nullptr;
        ASSERT_TRUE(
            WaitUntil([&] { return (settingsDialog = installed.SettingsDialog()) != nullptr; }, kStartTimeoutMs));
        PostMessageW(settingsDialog, WM_COMMAND, kToTrayCommand, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settingsDialog); }, 10000));
        FILETIME before{};
        {
            UniqueHandle file(CreateFileW(program.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(file.IsValid());
            GetFileTime(file.Get(), nullptr, nullptr, &before);
        }
        auto installer = StartInstaller();
        ASSERT_NE(m_dialog, nullptr);
        Install(folder, false, false);
        ShownBox box = WaitForMessageBox(*installer, 10000);
        ASSERT_NE(box.window, nullptr) << "no overwrite question";
        EXPECT_EQ(box.caption, L"");
        EXPECT_EQ(box.text, L"The \"" + program +
                                L"\" already exists. \r\n Overwrite existing file?\r\n"
                                L"The configuration file (INI) will be not overwritten!");
        PressButton(box.window, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box.window); }, 5000));
        box = WaitForMessageBox(*installer, 10000);
        ASSERT_NE(box.window, nullptr) << "no running-copy message";
        EXPECT_EQ(box.text, L"File access error:\r\n" + program + L"\r\n\r\nPlease close the program");
        PressButton(box.window, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(settingsDialog) != FALSE; }, 10000))
            << "the running copy did not come to the front";
        EXPECT_TRUE(installer->IsRunning()) << "the installation dialog stays for the user";
        FILETIME after{};
        {
            UniqueHandle file(CreateFileW(program.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
            GetFileTime(file.Get(), nullptr, nullptr, &after);
        }
        EXPECT_EQ(CompareFileTime(&before, &after), 0) << "the running program file was written";
        PostMessageW(m_dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        EXPECT_EQ(installer->WaitForExit(kExitTimeoutMs), std::optional<DWORD>(0));
    }

    // Once it has ended, installing again replaces the program and keeps the settings file
    // byte for byte.
    installed.End();
    const std::wstring settings = PerUserSettingsPath();
    std::vector<uint8_t> kept = Utf16FileBytes(L"[Program]\r\nm_image_timer=17\r\nmine=\u03A9 kept\r\n");
    ASSERT_TRUE(WriteFileBytes(settings, kept));
    {
        auto installer = StartInstaller();
        ASSERT_NE(m_dialog, nullptr);
        Install(folder, false, false);
        const ShownBox box = WaitForMessageBox(*installer, 10000);
        ASSERT_NE(box.window, nullptr) << "no overwrite question";
        PressButton(box.window, IDOK);
        EXPECT_EQ(installer->WaitForExit(kExitTimeoutMs), std::optional<DWORD>(0));
    }
    // The installed program starts at once and writes its own start keys into the file, so
    // only what the installer would have written is looked for here: none of its keys, every
    // kept line unchanged. (That the installation leaves the file byte for byte is shown
    // in install_tests, where the installation runs without the start.)
    InstalledProgram again;
    EXPECT_TRUE(again.WaitForStart());
    again.End();
    EXPECT_EQ(ReadIniValue(settings, L"Program", L"Install_Time"), L"<missing>");
    EXPECT_EQ(ReadIniValue(settings, L"Program", L"install_dir"), L"<missing>");
    EXPECT_EQ(ReadIniValue(settings, L"Program", L"m_image_timer"), L"17");
    EXPECT_EQ(ReadIniValue(settings, L"Program", L"mine"), L"\u03A9 kept");
}

TEST_F(InstallE2eTest, PortableInstallationHasNoUninstallEntryAndItsSettingsBesideIt) {
    InstallationGuard machine;
    const std::wstring folder = m_root / L"stick\\Orbelin";
    // A name without "setup" or "inst": the file name would make it the ordinary installer.
    const std::wstring download = CopyProgramTo(m_downloads.Path(), L"Orbelin.exe");
    auto installer = std::make_unique<RunningProgram>(download, L"-?portable_install");
    m_dialog = installer->WaitForWindow(kDialogClass, kInstallTitle, kStartTimeoutMs);
    ASSERT_NE(m_dialog, nullptr);
    DialogDriver dialog(m_dialog);
    EXPECT_TRUE(dialog.IsChecked(kPortableBox));
    EXPECT_FALSE(dialog.IsChecked(kForAllUsersBox));
    EXPECT_FALSE(dialog.IsEnabled(kForAllUsersBox));
    // The first drive's plain entry is selected (after the program-files and application-data
    // entries of an administrator).
    const std::vector<std::wstring> entries = dialog.Entries(kFolderCombo);
    ASSERT_GE(entries.size(), 3u);
    EXPECT_EQ(dialog.Selection(kFolderCombo), 2);
    EXPECT_EQ(entries[2], L"C:\\Orbelin");

    SendMessageTimeoutW(dialog.Control(kFolderCombo), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()),
                        SMTO_NORMAL, 5000, nullptr);
    PostMessageW(m_dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(dialog.Control(IDOK)));
    EXPECT_EQ(installer->WaitForExit(kExitTimeoutMs), std::optional<DWORD>(0));
    InstalledProgram installed;
    ASSERT_TRUE(installed.WaitForStart());

    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kUninstallEntryKey));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallEntryKey));
    EXPECT_EQ(InfoValue(folder, L"portable_install"), L"1");
    EXPECT_EQ(InfoValue(folder, L"for_all_install"), L"0");
    const std::wstring settings = folder + L"\\Orbelin.ini";
    EXPECT_EQ(ReadIniValue(settings, L"Program", L"portable_install"), L"1");
    EXPECT_NE(ReadIniValue(settings, L"Program", L"Install_Time"), L"<missing>");
    // The installed copy keeps its settings beside it.
    EXPECT_EQ(WaitForSettingValue(settings, L"start_tray", L"1", 10000), L"1");
    ExpectLink(ShellPlacesFor(false).desktopLink, folder + L"\\Orbelin.exe", L"");
}

TEST_F(InstallE2eTest, FoldersThatCannotHoldTheInstallationAreRefusedWithNothingLeft) {
    InstallationGuard machine;
    const std::wstring file = m_root / L"a file";
    ASSERT_TRUE(WriteFileBytes(file, std::string("x")));
    std::wstring longFolder = m_root / L"long";
    longFolder += L"\\" + std::wstring(250 - longFolder.size() - 1, L'n');
    ASSERT_EQ(longFolder.size(), 250u);
    // A drive letter that names no drive.
    std::wstring missingDrive;
    const DWORD drives = GetLogicalDrives();
    for (int letter = 25; letter >= 3 && missingDrive.empty(); --letter) {
        if ((drives & (1u << letter)) == 0)
            missingDrive = std::wstring(1, static_cast<wchar_t>(L'A' + letter)) + L":\\Orbelin";
    }
    ASSERT_FALSE(missingDrive.empty());
    const struct {
        const char* name;
        std::wstring folder;
        std::wstring leftAlone;  // must not exist afterwards (nothing half-made)
    } rows[] = {
        {"a file", file, L""},
        {"below a file", file + L"\\Orbelin", L""},
        {"250 characters", longFolder, m_root / L"long"},
        {"no such drive", missingDrive, L""},
    };
    auto installer = StartInstaller();
    ASSERT_NE(m_dialog, nullptr);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Install(row.folder, false, false);
        const ShownBox box = WaitForMessageBox(*installer, 10000);
        ASSERT_NE(box.window, nullptr) << "no message";
        EXPECT_EQ(box.caption, L"");
        EXPECT_EQ(box.text, L"The folder can't be created in the location:\r\n" + row.folder);
        PressButton(box.window, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box.window); }, 5000));
        EXPECT_TRUE(installer->IsRunning()) << "the dialog stays for another folder";
        if (!row.leftAlone.empty()) {
            EXPECT_FALSE(FolderExists(row.leftAlone));
        }
    }
    EXPECT_EQ(ReadFileBytes(file), std::optional<std::vector<uint8_t>>(std::vector<uint8_t>{'x'}));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kUninstallEntryKey));
    EXPECT_FALSE(FileExists(ShellPlacesFor(false).desktopLink));
    EXPECT_EQ(ProgramMainWindow(), nullptr);
}

TEST_F(InstallE2eTest, TheSecondStageRefusesAFolderWithoutInstallationInformation) {
    InstallationGuard machine;
    // A portable copy's folder: a program file and its settings, but no installation.
    const std::wstring folder = m_root / L"just a copy";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::vector<std::wstring> files = {folder + L"\\Orbelin.exe", folder + L"\\Orbelin.ini"};
    for (const std::wstring& file : files) ASSERT_TRUE(WriteFileBytes(file, std::string("mine")));
    const std::wstring perUser = PerUserSettingsPath();
    CreateDirectoryW(perUser.substr(0, perUser.find_last_of(L'\\')).c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(perUser, std::string("per user")));

    // The second stage's command line, as another command could give it.
    const std::wstring uninstaller = CopyProgramTo(m_downloads.Path(), L"Orbelin_second_stage.exe");
    ASSERT_FALSE(uninstaller.empty());
    RunningProgram secondStage(uninstaller, L"-?uninstall \"-?UNPATH:" + folder + L"\"");
    const ShownBox box = WaitForMessageBox(secondStage, kStartTimeoutMs);
    ASSERT_NE(box.window, nullptr) << "no message";
    EXPECT_EQ(box.caption, L"");
    EXPECT_EQ(box.text, L"This folder holds no installation information, nothing was removed:\r\n" + folder);
    EXPECT_EQ(WaitForAnyTopLevelWindow(kDialogClass, kUninstallTitle, 0), nullptr) << "an uninstall dialog";
    PressButton(box.window, IDOK);
    EXPECT_EQ(secondStage.WaitForExit(kExitTimeoutMs), std::optional<DWORD>(0));
    for (const std::wstring& file : files) EXPECT_TRUE(FileExists(file)) << file;
    EXPECT_TRUE(FileExists(perUser));
    EXPECT_TRUE(FileExists(uninstaller)) << "a program outside the temporary uninstaller's folder deleted itself";
}

}  // namespace
