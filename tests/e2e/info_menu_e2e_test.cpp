// The Info menu's commands in the real program: posted to its settings dialog as the menu
// sends them, with the files, folders and pages they open recorded by the shell-open fixture.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/installation_guard.h"
#include "common/shell_open_recorder.h"
#include "common/system_folders.h"
#include "common/test_files.h"
#include "e2e/orbelin_ui.h"
#include "e2e/program_driver.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 15000;
constexpr DWORD kChangeTimeoutMs = 8000;

constexpr int kInfoCommand = 1054;
constexpr int kSendProgramCommand = 1057;
constexpr int kHomepageCommand = 1058;
constexpr int kHistoryCommand = 1059;
constexpr int kLicenseCommand = 7778;
constexpr int kUninstallUserCommand = 32802;
constexpr int kOpenProgramFolderCommand = 32804;
constexpr int kOpenSettingsFolderCommand = 32805;
constexpr int kOpenSettingsFileCommand = 32806;
constexpr int kRestartCommand = 32814;
constexpr int kRemovePortableCommand = 32815;
constexpr DWORD kReplacedExitCode = 64250;

// The main window of another process running the program, or null.
HWND OtherMainWindow(DWORD exceptProcess) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, kMainWindowClass, kMainWindowTitle)) != nullptr) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != exceptProcess) return window;
    }
    return nullptr;
}

// Ends a copy of the program that a command started, and waits for it to go.
void EndOtherCopy(HWND mainWindow) {
    DWORD processId = 0;
    GetWindowThreadProcessId(mainWindow, &processId);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId);
    PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    if (process == nullptr) return;
    if (WaitForSingleObject(process, kExitTimeoutMs) != WAIT_OBJECT_0) TerminateProcess(process, 1);
    CloseHandle(process);
}

class InfoMenuE2eTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(BuiltProgramPath().empty()) << "ORBELIN_EXE is not set"; }

    // Starts a portable copy in `folder` (the test's own unless given) and waits for its dialog.
    std::unique_ptr<RunningProgram> Start(const std::wstring& folder = L"") {
        m_programFolder = folder.empty() ? m_folder.Path() : folder;
        auto program = std::make_unique<RunningProgram>(PreparePortableCopy(m_programFolder, L"start_tray=1\r\n"));
        if (!program->Started()) return program;
        m_dialog = program->WaitForWindow(kDialogClass, kPortableDialogTitle, kStartTimeoutMs);
        // The dialog exists once the settings are loaded; the start count is written last.
        WaitForSettingValue(m_programFolder + L"\\Orbelin.ini", L"start_tray", L"2", kStartTimeoutMs);
        return program;
    }
    std::wstring ProgramPath() const { return m_programFolder + L"\\Orbelin_portable.exe"; }

    PerUserSettingsGuard m_perUserSettings;
    TestFolder m_folder{L"info_menu_e2e"};
    std::wstring m_programFolder;
    HWND m_dialog = nullptr;
};

TEST_F(InfoMenuE2eTest, OpeningsLandOnTheirFilesFoldersAndPages) {
    ShellOpenRecorder opener({L"http", L"https", L".ini", L"Folder", L"Directory"});
    auto program = Start();
    ASSERT_NE(m_dialog, nullptr);
    const DialogDriver dialog(m_dialog);
    const struct {
        int command;
        std::wstring opened;  // exactly, or the end of an address
        bool address;
    } rows[] = {
        {kOpenProgramFolderCommand, m_folder.Path(), false},
        {kOpenSettingsFolderCommand, m_folder.Path(), false},
        {kOpenSettingsFileCommand, m_folder / L"Orbelin.ini", false},
        {kHomepageCommand, L"/?seite=Freeware/Orbelin/Thanks", true},
        {kHistoryCommand, L"/?seite=Freeware/Orbelin/History", true},
        {kLicenseCommand, L"/Eula", true},
    };
    size_t expected = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        dialog.PostCommand(row.command);
        const std::vector<std::wstring> opened = opener.WaitForOpened(++expected, kChangeTimeoutMs);
        ASSERT_EQ(opened.size(), expected) << "nothing was opened";
        const std::wstring& what = opened.back();
        if (row.address) {
            EXPECT_EQ(what.rfind(L"https://www.kestrova.", 0), 0u) << what;
            EXPECT_TRUE(what.size() > row.opened.size() &&
                        what.compare(what.size() - row.opened.size(), row.opened.size(), row.opened) == 0)
                << what;
        } else {
            EXPECT_EQ(lstrcmpiW(what.c_str(), row.opened.c_str()), 0) << what;
        }
    }
    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

TEST_F(InfoMenuE2eTest, InfoBoxNamesThePictureLimit) {
    auto program = Start();
    ASSERT_NE(m_dialog, nullptr);
    DialogDriver(m_dialog).PostCommand(kInfoCommand);
    const ShownBox box = WaitForMessageBox(*program, kChangeTimeoutMs);
    ASSERT_NE(box.window, nullptr) << "no info box";
    EXPECT_EQ(box.caption, L"Keep and stretch");
    EXPECT_EQ(box.text.rfind(L"Info\r\n\r\nOrbelin is a simple", 0), 0u) << box.text;
    EXPECT_NE(box.text.find(L"up to 32 pictures"), std::wstring::npos) << box.text;
    EXPECT_EQ(box.text.find(L"XX"), std::wstring::npos);
    EXPECT_EQ(GetWindow(box.window, GW_OWNER), m_dialog) << "the box is not owned by the dialog";
    PressButton(box.window, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box.window); }, kChangeTimeoutMs));
    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

TEST_F(InfoMenuE2eTest, SendByMailLeavesNoArchiveBehind) {
    // The archive holds the program under "Orbelin_install.exe" while the mail call runs (shown
    // in ui_tests, where the call is the test's); once the call has returned it is deleted. The
    // mail itself goes to the system's mail program, which this machine does not have: the
    // command must simply come back.
    const std::wstring archive = TemporaryFolderPath() + L"Orbelin.zip";
    ASSERT_TRUE(WriteFileBytes(archive, std::string("an archive of earlier")));
    auto program = Start();
    ASSERT_NE(m_dialog, nullptr);
    DWORD_PTR answer = 0;
    ASSERT_NE(SendMessageTimeoutW(m_dialog, WM_COMMAND, MAKEWPARAM(kSendProgramCommand, 0), 0, SMTO_NORMAL,
                                  kStartTimeoutMs, &answer),
              0)
        << "the command did not come back";
    EXPECT_EQ(WaitForMessageBox(*program, 1000).window, nullptr) << "a message box appeared";
    EXPECT_FALSE(FileExists(archive)) << "the archive stayed in the temporary folder";
    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

TEST_F(InfoMenuE2eTest, UnwritableTemporaryFolderIsReported) {
    // The program takes its temporary folder from TMP, which it inherits from this process.
    const std::wstring missing = m_folder / L"no such folder";
    wchar_t saved[MAX_PATH] = L"";
    const DWORD savedLength = GetEnvironmentVariableW(L"TMP", saved, MAX_PATH);
    SetEnvironmentVariableW(L"TMP", missing.c_str());
    auto program = Start();
    SetEnvironmentVariableW(L"TMP", savedLength > 0 ? saved : nullptr);
    ASSERT_NE(m_dialog, nullptr);

    DialogDriver(m_dialog).PostCommand(kSendProgramCommand);
    const ShownBox box = WaitForMessageBox(*program, kChangeTimeoutMs);
    ASSERT_NE(box.window, nullptr) << "the failure was not reported";
    EXPECT_EQ(box.text.rfind(L"Error ;) ", 0), 0u) << box.text;
    PressButton(box.window, IDOK);
    EXPECT_TRUE(program->IsRunning());
    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

TEST_F(InfoMenuE2eTest, RestartStartsANewCopyAndTheOldEnds) {
    auto program = Start();
    ASSERT_NE(m_dialog, nullptr);
    DialogDriver(m_dialog).PostCommand(kRestartCommand);
    EXPECT_EQ(program->WaitForExit(kExitTimeoutMs), std::optional<DWORD>(kReplacedExitCode));
    HWND newMainWindow = nullptr;
    EXPECT_TRUE(
        WaitUntil([&] { return (newMainWindow = OtherMainWindow(program->ProcessId())) != nullptr; }, kStartTimeoutMs))
        << "no new copy runs";
    if (newMainWindow == nullptr) return;
    // The new copy is the running program: a further start finds it.
    RunningProgram laterStart(ProgramPath());
    EXPECT_EQ(laterStart.WaitForExit(kStartTimeoutMs), std::optional<DWORD>(kAlreadyRunningExitCode));
    EndOtherCopy(newMainWindow);
}

TEST_F(InfoMenuE2eTest, RestartThatCannotStartKeepsTheRunningCopy) {
    auto program = Start();
    ASSERT_NE(m_dialog, nullptr);
    // The program file moves away under the running program: starting it again fails.
    const std::wstring moved = m_folder / L"Orbelin_moved_portable.exe";
    ASSERT_TRUE(MoveFileW(ProgramPath().c_str(), moved.c_str()));
    DialogDriver(m_dialog).PostCommand(kRestartCommand);
    Sleep(2000);
    EXPECT_TRUE(program->IsRunning()) << "the program ended although no new copy started";
    EXPECT_EQ(OtherMainWindow(program->ProcessId()), nullptr);

    RunningProgram laterStart(moved);
    EXPECT_EQ(laterStart.WaitForExit(kStartTimeoutMs), std::optional<DWORD>(kAlreadyRunningExitCode))
        << "the running copy did not take its single-instance mutex back";
    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

// The uninstall entry of the current user, restored at the end.
class PerUserUninstallEntry {
public:
    PerUserUninstallEntry() {
        wchar_t value[4096] = L"";
        DWORD bytes = sizeof(value) - sizeof(wchar_t);
        if (RegGetValueW(HKEY_CURRENT_USER, kKey, L"UninstallString", RRF_RT_REG_SZ, nullptr, value, &bytes) ==
            ERROR_SUCCESS) {
            m_saved = value;
        }
    }
    ~PerUserUninstallEntry() {
        if (m_saved) {
            Write(*m_saved);
        } else {
            RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
            RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
        }
    }
    PerUserUninstallEntry(const PerUserUninstallEntry&) = delete;
    PerUserUninstallEntry& operator=(const PerUserUninstallEntry&) = delete;

    void Write(const std::wstring& value) const {
        RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"UninstallString", REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

private:
    static constexpr const wchar_t* kKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orbelin";
    std::optional<std::wstring> m_saved;
};

TEST_F(InfoMenuE2eTest, UninstallStartsTheInstalledProgramsUninstallerAndEnds) {
    PerUserUninstallEntry entry;
    const std::vector<std::wstring> ownFoldersBefore = OwnTemporaryFolders();
    // Written with other letter case: it still names this copy.
    m_programFolder = m_folder.Path();
    std::wstring upper = ProgramPath();
    for (wchar_t& c : upper) c = static_cast<wchar_t>(c >= L'a' && c <= L'z' ? c - 32 : c);
    entry.Write(upper + L" -?uninstall");
    // The installation's information file, without which the uninstaller takes the folder for
    // none of its own.
    ASSERT_TRUE(WriteFileBytes(m_folder / L"Orbelin_Uninstall.ini", Utf16FileBytes(L"[Program]\r\n")));

    auto program = Start();
    ASSERT_NE(m_dialog, nullptr);
    DialogDriver(m_dialog).PostCommand(kUninstallUserCommand);
    {
        const ShownBox box = WaitForMessageBox(*program, 3000);
        EXPECT_EQ(box.window, nullptr) << box.caption << ": " << box.text;
    }
    EXPECT_EQ(program->WaitForExit(kExitTimeoutMs), std::optional<DWORD>(kReplacedExitCode));

    // The copy it started is the uninstaller: its temporary copy asks about this folder.
    // Cancelled, it removes nothing and deletes itself. (Wine counts every process as an
    // administrator: the temporary copy has the administrator's name and title.)
    HWND uninstallDialog =
        WaitForAnyTopLevelWindow(kDialogClass, L"Micro Uninstall (Admin) - Orbelin 1.0", kStartTimeoutMs);
    ASSERT_NE(uninstallDialog, nullptr) << "no uninstall dialog";
    DialogDriver uninstall(uninstallDialog);
    EXPECT_EQ(uninstall.Text(1041), m_folder.Path());
    PostMessageW(uninstallDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(WaitUntil([&] { return OwnTemporaryFoldersLeft(ownFoldersBefore).empty(); }, 20000))
        << "the temporary uninstaller is still there";
    EXPECT_TRUE(FileExists(ProgramPath()));

    // The program let go of its single-instance mutex for the uninstaller: a normal start
    // afterwards is the running program (it does not end as a second start would).
    Sleep(2000);
    RunningProgram laterStart(ProgramPath());
    EXPECT_NE(laterStart.WaitForWindow(kMainWindowClass, kMainWindowTitle, kStartTimeoutMs), nullptr);
    EXPECT_EQ(laterStart.WaitForExit(3000), std::nullopt) << "the later start found a running program";
}

// A letter the ANSI code page cannot hold.
std::wstring ForeignLetter() {
    for (const wchar_t* letter : {L"\u03A9", L"\u0141", L"\u4E2D"}) {
        BOOL lossy = FALSE;
        char buffer[8];
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, letter, 1, buffer, 8, nullptr, &lossy);
        if (lossy) return letter;
    }
    return L"\u03A9";
}

TEST_F(InfoMenuE2eTest, PortableRemovalDeletesProgramSettingsAndBatch) {
    for (const std::wstring& name : {std::wstring(L"plain"), L"a b %PATH% 100% " + ForeignLetter()}) {
        SCOPED_TRACE(name);
        const std::wstring folder = m_folder / name;
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        const std::vector<std::wstring> ownFoldersBefore = OwnTemporaryFolders();
        auto program = Start(folder);
        ASSERT_NE(m_dialog, nullptr);

        // Anything but Yes leaves everything as it is.
        DialogDriver(m_dialog).PostCommand(kRemovePortableCommand);
        ShownBox box = WaitForMessageBox(*program, kChangeTimeoutMs);
        ASSERT_NE(box.window, nullptr) << "no question";
        EXPECT_EQ(box.caption, L"Uninstall");
        EXPECT_EQ(box.text, L"Uninstall?");
        PressButton(box.window, IDNO);
        Sleep(1000);
        EXPECT_TRUE(program->IsRunning());
        EXPECT_TRUE(FileExists(ProgramPath()));

        DialogDriver(m_dialog).PostCommand(kRemovePortableCommand);
        box = WaitForMessageBox(*program, kChangeTimeoutMs);
        ASSERT_NE(box.window, nullptr) << "no question";
        PressButton(box.window, IDYES);
        EXPECT_EQ(program->WaitForExit(kExitTimeoutMs), std::optional<DWORD>(0));
        // The batch runs from a folder of its own, which goes with it.
        EXPECT_TRUE(WaitUntil(
            [&] {
                return !FileExists(ProgramPath()) && !FileExists(folder + L"\\Orbelin.ini") &&
                       OwnTemporaryFoldersLeft(ownFoldersBefore).empty();
            },
            20000))
            << "left: program " << FileExists(ProgramPath()) << ", settings " << FileExists(folder + L"\\Orbelin.ini")
            << ", batch folders " << OwnTemporaryFoldersLeft(ownFoldersBefore).size();
    }
}

TEST_F(InfoMenuE2eTest, PortableRemovalLeavesWhatBelongsToOthers) {
    InstallationGuard machine;
    // An installed copy elsewhere, with its uninstall entry and its Run value; it keeps its
    // settings in the per-user file, which a copy without settings of its own shares.
    const std::wstring installedFolder = m_folder / L"installed";
    ASSERT_TRUE(CreateDirectoryW(installedFolder.c_str(), nullptr));
    const std::wstring installed = installedFolder + L"\\Orbelin.exe";
    ASSERT_TRUE(WriteFileBytes(installed, std::string("MZ installed")));
    const std::wstring entry = L"\"" + installed + L"\" -?uninstall";
    const std::wstring runValue = L"\"" + installed + L"\" -bg";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kUninstallEntryKey, L"UninstallString", REG_SZ, entry.c_str(),
                              static_cast<DWORD>((entry.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kRunValueKey, L"Orbelin", REG_SZ, runValue.c_str(),
                              static_cast<DWORD>((runValue.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    const std::wstring perUser = PerUserSettingsPath();
    CreateDirectoryW(perUser.substr(0, perUser.find_last_of(L'\\')).c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(perUser, Utf16FileBytes(L"[Program]\r\nstart_tray=1\r\nmine=kept\r\n")));

    // A copy under a name that is not portable, with no settings file beside it.
    const std::wstring copyFolder = m_folder / L"copy";
    ASSERT_TRUE(CreateDirectoryW(copyFolder.c_str(), nullptr));
    const std::wstring copy = CopyProgramTo(copyFolder, L"OrbelinCopy.exe");
    ASSERT_FALSE(copy.empty());
    const std::vector<std::wstring> ownFoldersBefore = OwnTemporaryFolders();
    RunningProgram program(copy);
    HWND dialog = program.WaitForWindow(kDialogClass, L"Orbelin 1.0 - x64", kStartTimeoutMs);
    ASSERT_NE(dialog, nullptr);
    // The dialog exists once the settings are loaded; the start count is written last.
    ASSERT_EQ(WaitForSettingValue(perUser, L"start_tray", L"2", kStartTimeoutMs), L"2");

    DialogDriver(dialog).PostCommand(kRemovePortableCommand);
    const ShownBox box = WaitForMessageBox(program, kChangeTimeoutMs);
    ASSERT_NE(box.window, nullptr) << "no question";
    PressButton(box.window, IDYES);
    EXPECT_EQ(program.WaitForExit(kExitTimeoutMs), std::optional<DWORD>(0));
    EXPECT_TRUE(
        WaitUntil([&] { return !FileExists(copy) && OwnTemporaryFoldersLeft(ownFoldersBefore).empty(); }, 20000))
        << "the copy or its batch stayed";

    // The installed copy keeps its settings, its entry and its Run value.
    EXPECT_TRUE(FileExists(perUser)) << "the installed copy's settings file went";
    EXPECT_EQ(ReadIniValue(perUser, L"Program", L"mine"), L"kept");
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, kRunValueKey, L"Orbelin"), std::optional<std::wstring>(runValue));
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, kUninstallEntryKey, L"UninstallString"),
              std::optional<std::wstring>(entry));
    EXPECT_TRUE(FileExists(installed));
}

}  // namespace
