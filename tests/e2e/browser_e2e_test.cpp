#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "common/built_program_languages.h"
#include "common/message_box_watcher.h"
#include "common/system_folders.h"
#include "common/web_traffic_guard.h"
#include "e2e/orbelin_ui.h"
#include "e2e/program_driver.h"
#include "lang/language_archive.h"
#include "res/resource.h"
#include "browser/browser_emulation.h"
#include "browser/update_install.h"
#include "browser/update_start_arguments.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 20000;
constexpr const wchar_t* kBrowserTitle = L"Glimmerpane";

// The text of a control of another process: GetWindowText would give only its caption.
std::wstring TextOf(HWND window) {
    wchar_t text[2048] = L"";
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &length);
    return text;
}

// The address field of a browser window: the edit control of its ComboBoxEx32.
HWND AddressField(HWND frame) {
    struct Search {
        HWND field = nullptr;
    } search;
    EnumChildWindows(
        frame,
        [](HWND child, LPARAM parameter) -> BOOL {
            wchar_t className[64] = L"";
            GetClassNameW(child, className, 64);
            // The edit control is the list's child or, inside its combo box, its grandchild.
            wchar_t parentClass[64] = L"";
            wchar_t grandparentClass[64] = L"";
            GetClassNameW(GetParent(child), parentClass, 64);
            GetClassNameW(GetParent(GetParent(child)), grandparentClass, 64);
            if (lstrcmpW(className, L"Edit") == 0 &&
                (lstrcmpW(parentClass, L"ComboBoxEx32") == 0 || lstrcmpW(grandparentClass, L"ComboBoxEx32") == 0)) {
                reinterpret_cast<Search*>(parameter)->field = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.field;
}

// The Glimmerpane frame of `browser` once it is shown with the address of its first page; null
// when it does not appear in time.
HWND WaitForBrowserFrame(const RunningProgram& browser) {
    HWND frame = browser.WaitForWindow(L"#32770", L"Glimmerpane", 30000);
    if (frame == nullptr) return nullptr;
    const bool ready = WaitUntil(
        [&] {
            return IsWindowVisible(frame) && AddressField(frame) != nullptr && !TextOf(AddressField(frame)).empty();
        },
        30000);
    return ready ? frame : nullptr;
}

// A top-level window of the class and title in any process but `exceptProcess`; null when none
// appears within `timeoutMs`.
HWND WaitForWindowOfAnyProcess(const wchar_t* className, const wchar_t* title, DWORD exceptProcess, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            HWND window = nullptr;
            while ((window = FindWindowExW(nullptr, window, className, title)) != nullptr) {
                DWORD processId = 0;
                GetWindowThreadProcessId(window, &processId);
                if (processId != exceptProcess) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

std::wstring ImageOfProcess(HANDLE process) {
    wchar_t path[MAX_PATH * 2] = L"";
    DWORD length = MAX_PATH * 2;
    return QueryFullProcessImageNameW(process, 0, path, &length) ? std::wstring(path, length) : std::wstring();
}

// The process of a window, opened to wait for its end.
UniqueHandle ProcessOfWindow(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return UniqueHandle(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
}

std::optional<DWORD> WaitForExit(HANDLE process, DWORD timeoutMs) {
    if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return code;
}

// "1.0.1" from the file's version resource.
std::wstring FileVersionOf(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return L"";
    std::vector<BYTE> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) || info == nullptr) {
        return L"";
    }
    return std::to_wstring(HIWORD(info->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(info->dwFileVersionMS)) +
           L"." + std::to_wstring(HIWORD(info->dwFileVersionLS));
}

std::wstring NextBuildPath() {
    const char* path = std::getenv("ORBELIN_NEXT_EXE");
    return path != nullptr ? WindowsPathFromHost(path) : std::wstring();
}

std::wstring NextVersion() {
    const char* version = std::getenv("ORBELIN_NEXT_VERSION");
    return version != nullptr ? std::wstring(version, version + strlen(version)) : std::wstring();
}

// The files of a folder with their content, the settings file left out (a running program may
// write it).
std::vector<std::pair<std::wstring, std::optional<std::vector<uint8_t>>>> FilesOf(const std::wstring& folder) {
    std::vector<std::pair<std::wstring, std::optional<std::vector<uint8_t>>>> files;
    for (const std::wstring& name : EntryNamesIn(folder)) {
        if (name != L"Orbelin.ini") files.emplace_back(name, ReadFileBytes(folder + L"\\" + name));
    }
    return files;
}

class BrowserWindowE2eTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(BuiltProgramPath().empty()) << "ORBELIN_EXE is not set"; }

    // The update start speaks the language that the program it replaces stores (here none
    // beside it: the per-user settings'), and the test reads its texts from the program's archive.
    void UseEnglishForTheUpdateStart() {
        CreateDirectoryW(PerUserSettingsPath().substr(0, PerUserSettingsPath().find_last_of(L'\\')).c_str(), nullptr);
        ASSERT_TRUE(WriteFileBytes(PerUserSettingsPath(), Utf16FileBytes(L"[Program]\r\nlng=1\r\n")));
        ASSERT_TRUE(LoadBuiltProgramArchive());
        SetCurrentLanguageIndex(kLanguageEnglish);
    }

    PerUserSettingsGuard m_perUserSettings;
    WebTrafficToClosedLoopbackPort m_noWebTraffic;
    TestFolder m_folder{L"browser"};
};

TEST_F(BrowserWindowE2eTest, GlimmerpaneOpensTheFrameAndEndsWithZero) {
    const std::wstring program = CopyProgramTo(m_folder.Path(), L"Orbelin.exe");
    ASSERT_FALSE(program.empty());
    const auto perUserBefore = ReadFileBytes(PerUserSettingsPath());

    RunningProgram browser(program, L"Glimmerpane:33");
    ASSERT_TRUE(browser.Started());
    HWND frame = WaitForBrowserFrame(browser);
    ASSERT_NE(frame, nullptr) << "no Glimmerpane window with its address bar";
    EXPECT_EQ(BrowserEmulationValue(L"Orbelin.exe"), std::optional<unsigned long>(11001));

    // It opened the maker's update page for this version.
    HWND field = AddressField(frame);
    ASSERT_NE(field, nullptr);
    const std::wstring address = TextOf(field);
    EXPECT_EQ(address.rfind(L"https://www.kestrova.", 0), 0u) << address;
    EXPECT_NE(address.find(L"?seite=Freeware/Orbelin/Update&Program=Orbelin&Version=1.0.0&time="), std::wstring::npos)
        << address;

    // Closing the window ends the browser instance's loop (45054) and the process with 0.
    PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(browser.WaitForExit(kExitTimeoutMs), std::optional<DWORD>(0));
    EXPECT_EQ(BrowserEmulationValue(L"Orbelin.exe"), std::nullopt);

    // It used no settings file of its own: none beside it, the per-user one untouched.
    EXPECT_FALSE(FileExists(m_folder / L"Orbelin.ini"));
    EXPECT_EQ(ReadFileBytes(PerUserSettingsPath()), perUserBefore);
}

TEST_F(BrowserWindowE2eTest, TheWindowReadsTheStoredLanguageAndWritesNothing) {
    const struct {
        const wchar_t* settings;
        bool germanSite;
    } cases[] = {
        {L"lng=0", true},
        {L"lng=1", false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.settings);
        TestFolder folder(L"browser_language");
        const std::wstring program = PreparePortableCopy(folder.Path(), testCase.settings);
        ASSERT_FALSE(program.empty());
        const auto settingsBefore = ReadFileBytes(folder / L"Orbelin.ini");

        RunningProgram browser(program, L"Glimmerpane:33");
        HWND frame = WaitForBrowserFrame(browser);
        ASSERT_NE(frame, nullptr);
        const std::wstring address = TextOf(AddressField(frame));
        EXPECT_EQ(address.rfind(L"https://www.kestrova.de/", 0) == 0, testCase.germanSite) << address;
        PostMessageW(frame, WM_CLOSE, 0, 0);
        EXPECT_EQ(browser.WaitForExit(kExitTimeoutMs), std::optional<DWORD>(0));
        EXPECT_EQ(ReadFileBytes(folder / L"Orbelin.ini"), settingsBefore) << "the settings file was written";
    }
}

TEST_F(BrowserWindowE2eTest, CheckForUpdatesInTheSettingsDialogStartsTheBrowserWindow) {
    const std::wstring program = PreparePortableCopy(m_folder.Path(), L"");
    ASSERT_FALSE(program.empty());
    RunningProgram running(program);
    HWND dialog = running.WaitForWindow(kDialogClass, kPortableDialogTitle, kStartTimeoutMs);
    ASSERT_NE(dialog, nullptr);

    PostMessageW(dialog, WM_COMMAND, IDM_CHECK_FOR_UPDATES, 0);
    HWND frame = WaitForWindowOfAnyProcess(kDialogClass, kBrowserTitle, running.ProcessId(), kStartTimeoutMs);
    ASSERT_NE(frame, nullptr) << "no browser window was started";
    UniqueHandle browserProcess = ProcessOfWindow(frame);
    ASSERT_TRUE(browserProcess.IsValid());
    EXPECT_NE(GetProcessId(browserProcess.Get()), running.ProcessId());
    EXPECT_EQ(ImageOfProcess(browserProcess.Get()), program);

    // The program goes on while its browser window closes by itself.
    PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(browserProcess.Get(), kExitTimeoutMs), std::optional<DWORD>(0));
    EXPECT_TRUE(running.IsRunning());
    EXPECT_EQ(running.Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

// The whole update: the running program (this build) is replaced by a build of the next version
// that was started as the received file is started.
TEST_F(BrowserWindowE2eTest, AReceivedBuildTakesTheRunningProgramsPlace) {
    const std::wstring nextBuild = NextBuildPath();
    const std::wstring nextVersion = NextVersion();
    ASSERT_FALSE(nextBuild.empty()) << "ORBELIN_NEXT_EXE is not set";
    const std::wstring program = PreparePortableCopy(m_folder.Path(), L"");
    ASSERT_FALSE(program.empty());
    ASSERT_EQ(FileVersionOf(program), L"1.0.0");
    ASSERT_EQ(FileVersionOf(nextBuild), nextVersion);
    ASSERT_NE(nextVersion, L"1.0.0");

    // Received as the browser window receives it: into a new folder of the program's own.
    const std::wstring received = CreateOwnTemporaryFolder(kUpdateFolderPrefix);
    ASSERT_FALSE(received.empty());
    const std::wstring updateFile = received + kReceivedUpdateFileName;
    ASSERT_TRUE(CopyFileW(nextBuild.c_str(), updateFile.c_str(), FALSE));
    const auto programFolderBefore = EntryNamesIn(m_folder.Path());

    RunningProgram running(program);
    ASSERT_NE(running.WaitForWindow(kMainWindowClass, kMainWindowTitle, kStartTimeoutMs), nullptr);

    RunningProgram update(updateFile, UpdateStartParameters(program, nextVersion));
    ASSERT_TRUE(update.Started());
    EXPECT_EQ(running.WaitForExit(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode))
        << "the running program was not asked to end";
    EXPECT_EQ(update.WaitForExit(kExitTimeoutMs), std::optional<DWORD>(0));

    EXPECT_EQ(FileVersionOf(program), nextVersion);
    EXPECT_EQ(ReadFileBytes(program), ReadFileBytes(nextBuild));
    // No side file is left beside the program.
    auto programFolderAfter = EntryNamesIn(m_folder.Path());
    programFolderAfter.erase(std::remove(programFolderAfter.begin(), programFolderAfter.end(), L"Orbelin.ini"),
                             programFolderAfter.end());
    auto expectedFolder = programFolderBefore;
    expectedFolder.erase(std::remove(expectedFolder.begin(), expectedFolder.end(), L"Orbelin.ini"),
                         expectedFolder.end());
    EXPECT_EQ(programFolderAfter, expectedFolder);
    // The received file has done its work and goes once its process has ended.
    EXPECT_TRUE(WaitUntil([&] { return !FileExists(updateFile); }, kStartTimeoutMs)) << "the received file stayed";
    const std::wstring receivedFolder = received.substr(0, received.size() - 1);
    EXPECT_TRUE(WaitUntil([&] { return GetFileAttributesW(receivedFolder.c_str()) == INVALID_FILE_ATTRIBUTES; },
                          kStartTimeoutMs))
        << "the received file's folder stayed, holding " << ::testing::PrintToString(EntryNamesIn(received));
    RemoveTree(receivedFolder);

    // The new version runs from the old place.
    HWND mainWindow =
        WaitForWindowOfAnyProcess(kMainWindowClass, kMainWindowTitle, running.ProcessId(), kStartTimeoutMs);
    ASSERT_NE(mainWindow, nullptr) << "the replaced program was not started";
    UniqueHandle restarted = ProcessOfWindow(mainWindow);
    ASSERT_TRUE(restarted.IsValid());
    EXPECT_EQ(ImageOfProcess(restarted.Get()), program);
    PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(restarted.Get(), kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

TEST_F(BrowserWindowE2eTest, AProgramFileThatStaysLockedIsKeptAndTheUserIsTold) {
    const std::wstring nextBuild = NextBuildPath();
    ASSERT_FALSE(nextBuild.empty());
    UseEnglishForTheUpdateStart();
    const std::wstring program = CopyProgramTo(m_folder.Path(), L"Orbelin.exe");
    ASSERT_FALSE(program.empty());
    const auto before = ReadFileBytes(program);
    TestFolder received(L"received");
    const std::wstring updateFile = received / L"Orbelin_Autoupdate.exe";
    ASSERT_TRUE(CopyFileW(nextBuild.c_str(), updateFile.c_str(), FALSE));

    // Held as a program that will not end holds its file.
    UniqueHandle held(CreateFileW(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.IsValid());

    RunningProgram update(updateFile, UpdateStartParameters(program, NextVersion()));
    std::vector<HWND> recorded;
    std::vector<SeenMessageBox> seen;
    WaitUntil(
        [&] {
            AnswerMessageBoxes(update.ProcessId(), recorded, seen);
            return !update.IsRunning();
        },
        kProgramReleaseWaitMs + 20000);
    EXPECT_EQ(update.WaitForExit(1000), std::optional<DWORD>(0));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"Orbelin - Auto Update");
    EXPECT_EQ(seen[0].text, UpdateFailureText(NextVersion(), LangString(kUpdateProgramKeptRunningText), program));
    EXPECT_NE(seen[0].text.find(L"The running program did not end within 20 seconds."), std::wstring::npos);
    held.Reset();
    EXPECT_EQ(ReadFileBytes(program), before);
    EXPECT_EQ(EntryNamesIn(m_folder.Path()), std::vector<std::wstring>{L"Orbelin.exe"});
}

// The update start with a file that it must not replace: it says why, asks no running program to
// end, and leaves every file as it was, the user's own files beside the target too.
TEST_F(BrowserWindowE2eTest, TheUpdateStartReplacesOnlyAnOlderOrbelin) {
    const std::wstring nextBuild = NextBuildPath();
    const std::wstring nextVersion = NextVersion();
    ASSERT_FALSE(nextBuild.empty()) << "ORBELIN_NEXT_EXE is not set";
    UseEnglishForTheUpdateStart();
    wchar_t system[MAX_PATH] = L"";
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    const std::wstring otherProgram = std::wstring(system) + L"\\winver.exe";
    const std::wstring currentBuild = BuiltProgramPath();

    enum class Target { kTextFile, kOtherProgram, kNextBuild, kCurrentBuild };
    const struct {
        const char* name;
        Target target;
        bool receivedIsNext;  // the received file: the next build, or this build
        std::wstring version;
        std::wstring reason;
        bool targetRuns;
    } cases[] = {
        {"a text file", Target::kTextFile, true, nextVersion,
         UpdateRefusalReason(UpdateTargetVerdict::kTargetNotThisProgram, nextVersion, L""), false},
        {"another program under the program's name", Target::kOtherProgram, true, nextVersion,
         UpdateRefusalReason(UpdateTargetVerdict::kTargetNotThisProgram, nextVersion, L""), false},
        {"a newer Orbelin", Target::kNextBuild, false, L"1.0.0",
         UpdateRefusalReason(UpdateTargetVerdict::kTargetNotOlder, L"1.0.0", nextVersion), false},
        {"the same Orbelin, running", Target::kCurrentBuild, false, L"1.0.0",
         UpdateRefusalReason(UpdateTargetVerdict::kTargetNotOlder, L"1.0.0", L"1.0.0"), true},
        {"a version that the received file is not", Target::kCurrentBuild, true, L"9.9",
         UpdateRefusalReason(UpdateTargetVerdict::kVersionTextDisagrees, L"9.9", L"1.0.0"), false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        TestFolder folder(L"update target");
        std::wstring target;
        switch (testCase.target) {
            case Target::kTextFile:
                target = folder / L"notes.txt";
                ASSERT_TRUE(WriteFileBytes(target, std::string("my notes\r\n")));
                break;
            case Target::kOtherProgram:
                target = folder / L"Orbelin.exe";
                ASSERT_TRUE(CopyFileW(otherProgram.c_str(), target.c_str(), FALSE));
                break;
            case Target::kNextBuild:
                target = folder / L"Orbelin.exe";
                ASSERT_TRUE(CopyFileW(nextBuild.c_str(), target.c_str(), FALSE));
                break;
            case Target::kCurrentBuild:
                target = PreparePortableCopy(folder.Path(), L"lng=1");
                ASSERT_FALSE(target.empty());
                break;
        }
        // Files of the user's own with the names an update once used beside the program.
        ASSERT_TRUE(WriteFileBytes(target + L".old", std::string("the user's old")));
        ASSERT_TRUE(WriteFileBytes(target + L".new", std::string("the user's new")));
        TestFolder received(L"received");
        const std::wstring updateFile = received / L"Orbelin_Autoupdate.exe";
        ASSERT_TRUE(CopyFileW((testCase.receivedIsNext ? nextBuild : currentBuild).c_str(), updateFile.c_str(), FALSE));

        std::optional<RunningProgram> running;
        if (testCase.targetRuns) {
            running.emplace(target);
            ASSERT_NE(running->WaitForWindow(kMainWindowClass, kMainWindowTitle, kStartTimeoutMs), nullptr);
        }
        const auto before = FilesOf(folder.Path());

        RunningProgram update(updateFile, UpdateStartParameters(target, testCase.version));
        ASSERT_TRUE(update.Started());
        const ShownBox box = WaitForMessageBox(update, kStartTimeoutMs);
        ASSERT_NE(box.window, nullptr) << "no message";
        EXPECT_EQ(box.caption, L"Orbelin - Auto Update");
        EXPECT_EQ(box.text, UpdateFailureText(testCase.version, testCase.reason, target));
        PressButton(box.window, IDOK);
        EXPECT_EQ(update.WaitForExit(kExitTimeoutMs), std::optional<DWORD>(0));

        EXPECT_EQ(FilesOf(folder.Path()), before) << "a file was changed, added or removed";
        if (running) {
            EXPECT_TRUE(running->IsRunning()) << "the running program was asked to end";
            EXPECT_EQ(running->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
        }
    }
}

}  // namespace
