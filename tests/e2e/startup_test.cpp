#include <gtest/gtest.h>

#include "common/installation_guard.h"
#include "e2e/program_driver.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 15000;
constexpr DWORD kAlreadyRunningExitCode = 45054;

// Each test starts the program from a throw-away folder and keeps the per-user settings as
// they were.
class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(BuiltProgramPath().empty()) << "ORBELIN_EXE is not set"; }

    // Starts the program, waits for its hidden main window, closes it and checks that it ended
    // with exit code 0.
    void RunUntilMainWindowThenClose(const std::wstring& programPath, const std::wstring& arguments = L"") {
        RunningProgram program(programPath, arguments);
        ASSERT_TRUE(program.Started());
        HWND mainWindow = program.WaitForWindow(L"Orbelin", L"Orbelin", kStartTimeoutMs);
        ASSERT_NE(mainWindow, nullptr) << "no main window";
        EXPECT_FALSE(IsWindowVisible(mainWindow));
        EXPECT_EQ(program.Close(kExitTimeoutMs), std::optional<DWORD>(0));
    }

    PerUserSettingsGuard m_perUserSettings;
    TestFolder m_folder{L"e2e"};
};

TEST_F(StartupTest, PortableCopyKeepsUtf16SettingsNextToItself) {
    const std::wstring program = CopyProgramTo(m_folder.Path(), L"Orbelin_portable.exe");
    ASSERT_FALSE(program.empty());
    RunUntilMainWindowThenClose(program);

    const std::wstring settings = m_folder / L"Orbelin.ini";
    const auto bytes = ReadFileBytes(settings);
    ASSERT_TRUE(bytes.has_value()) << "no settings file next to the program";
    EXPECT_TRUE(StartsWithUtf16Mark(*bytes));
    const std::wstring probe = ReadIniValue(settings, L"Program", L"TestIni");
    EXPECT_NE(probe, L"<missing>");
    EXPECT_GT(_wtoi64(probe.c_str()), 1'600'000'000);
}

TEST_F(StartupTest, NonPortableStartsFallBackToThePerUserFile) {
    DeleteFileW(PerUserSettingsPath().c_str());
    const struct {
        const wchar_t* fileName;
        bool readOnlySettingsNextToIt;
    } cases[] = {
        {L"_portableOrbelin.exe", false},  // the marker at the first character does not count
        {L"Orbelin_portable.exe", true},   // a read-only file fails the write test
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(std::string(testCase.fileName, testCase.fileName + wcslen(testCase.fileName)));
        TestFolder folder(L"fallback");
        const std::wstring settings = folder / L"Orbelin.ini";
        const std::vector<uint8_t> readOnlyContent = Utf16FileBytes(L"[Program]\r\ncx=512\r\n");
        if (testCase.readOnlySettingsNextToIt) {
            ASSERT_TRUE(WriteFileBytes(settings, readOnlyContent));
            ASSERT_TRUE(SetFileAttributesW(settings.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        WritePrivateProfileStringW(L"Program", L"TestIni", L"old", PerUserSettingsPath().c_str());

        RunUntilMainWindowThenClose(CopyProgramTo(folder.Path(), testCase.fileName));

        const std::wstring perUserProbe = ReadIniValue(PerUserSettingsPath(), L"Program", L"TestIni");
        EXPECT_GT(_wtoi64(perUserProbe.c_str()), 1'600'000'000) << "the per-user file was not used";
        if (testCase.readOnlySettingsNextToIt) {
            EXPECT_EQ(ReadFileBytes(settings), readOnlyContent);
            SetFileAttributesW(settings.c_str(), FILE_ATTRIBUTE_NORMAL);
        } else {
            EXPECT_FALSE(FileExists(settings));
        }
    }
}

TEST_F(StartupTest, AnsiSettingsFileIsConvertedWithItsValues) {
    const std::wstring settings = m_folder / L"Orbelin.ini";
    ASSERT_TRUE(WriteFileBytes(settings, std::string("[Program]\r\nm_image_timer=17\r\nDDC_Font=Caf\xE9 Sans\r\n")));
    wchar_t expectedFont[32] = L"";
    MultiByteToWideChar(CP_ACP, 0, "Caf\xE9 Sans", -1, expectedFont, 32);

    RunUntilMainWindowThenClose(CopyProgramTo(m_folder.Path(), L"Orbelin.exe"));

    const auto bytes = ReadFileBytes(settings);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_TRUE(StartsWithUtf16Mark(*bytes));
    EXPECT_EQ(ReadIniValue(settings, L"Program", L"m_image_timer"), L"17");
    EXPECT_EQ(ReadIniValue(settings, L"Program", L"DDC_Font"), expectedFont);
    EXPECT_NE(ReadIniValue(settings, L"Program", L"TestIni"), L"<missing>");
}

TEST_F(StartupTest, SecondStartEndsWith45054AndTheFirstKeepsRunning) {
    const std::wstring program = CopyProgramTo(m_folder.Path(), L"Orbelin_portable.exe");
    RunningProgram first(program);
    ASSERT_TRUE(first.Started());
    HWND mainWindow = first.WaitForWindow(L"Orbelin", L"Orbelin", kStartTimeoutMs);
    ASSERT_NE(mainWindow, nullptr);

    RunningProgram second(program, L"-bg");
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(second.WaitForExit(kStartTimeoutMs), std::optional<DWORD>(kAlreadyRunningExitCode));

    EXPECT_TRUE(first.IsRunning());
    EXPECT_TRUE(IsWindow(mainWindow));
    EXPECT_EQ(first.Close(kExitTimeoutMs), std::optional<DWORD>(0));
}

TEST_F(StartupTest, AnyCommandLineStartsNormally) {
    const std::wstring program = CopyProgramTo(m_folder.Path(), L"Orbelin_portable.exe");
    std::wstring hostile;
    while (hostile.size() < 30000) hostile += L"\"a:b -?UNPATH: :: m_lang_id:x \"\" -bg:1 \xD800 \t";
    const std::wstring arguments[] = {L"-BG", L"unknown -x:y z", L"m_lang_id:99999999999", hostile};
    for (const std::wstring& argument : arguments) {
        SCOPED_TRACE(argument.size());
        RunUntilMainWindowThenClose(program, argument);
    }
}

TEST_F(StartupTest, SetupModesRunTheirDialogsInsteadOfTheProgram) {
    // Each of these runs a setup mode instead of the program: its dialog, no main window, no
    // settings file (although the names also carry the portable marker), and exit code 0 once
    // the dialog is cancelled. The uninstaller's first stage ends at once and leaves the dialog
    // to its temporary copy, which deletes itself when cancelled. (Wine counts every process as
    // an administrator: the titles carry "(Admin)".)
    InstallationGuard machine;
    const std::wstring installTitle = L"Micro Install (Admin) - Orbelin 1.0";
    const std::wstring uninstallTitle = L"Micro Uninstall (Admin) - Orbelin 1.0";
    const struct {
        const wchar_t* fileName;
        const wchar_t* arguments;
        const wchar_t* dialogTitle;
        bool firstStage;             // the dialog belongs to the temporary copy
    } cases[] = {
        {L"Orbelin_portable_setup.exe", L"", installTitle.c_str(), false},
        {L"Orbelin_portable.exe", L"-?PORTABLE_INSTALL", installTitle.c_str(), false},
        {L"Orbelin_p_uninstall.exe", L"", uninstallTitle.c_str(), true},
        {L"Orbelin_portable.exe", L"-?uninstall", uninstallTitle.c_str(), true},
        // "Glimmerpane" opens the browser window and runs until it is closed: browser_e2e_tests.
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(std::string(testCase.fileName, testCase.fileName + wcslen(testCase.fileName)) + " " +
                     std::string(testCase.arguments, testCase.arguments + wcslen(testCase.arguments)));
        TestFolder folder(L"setup");
        // The uninstaller takes a folder for an installation only by its information file.
        if (testCase.firstStage) {
            ASSERT_TRUE(WriteFileBytes(folder / L"Orbelin_Uninstall.ini", Utf16FileBytes(L"[Program]\r\n")));
        }
        const std::vector<std::wstring> ownFoldersBefore = OwnTemporaryFolders();
        RunningProgram program(CopyProgramTo(folder.Path(), testCase.fileName), testCase.arguments);
        ASSERT_TRUE(program.Started());
        if (!testCase.firstStage) {
            HWND dialog = program.WaitForWindow(L"#32770", testCase.dialogTitle, kStartTimeoutMs);
            ASSERT_NE(dialog, nullptr) << "no dialog";
            EXPECT_EQ(program.WaitForWindow(L"Orbelin", L"Orbelin", 0), nullptr);
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
        EXPECT_EQ(program.WaitForExit(kStartTimeoutMs), std::optional<DWORD>(0));
        if (testCase.firstStage) {
            HWND dialog = WaitForAnyTopLevelWindow(L"#32770", testCase.dialogTitle, kStartTimeoutMs);
            ASSERT_NE(dialog, nullptr) << "no uninstall dialog";
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            EXPECT_TRUE(WaitUntil([&] { return OwnTemporaryFoldersLeft(ownFoldersBefore).empty(); }, kStartTimeoutMs))
                << "the temporary uninstaller stays";
            EXPECT_TRUE(FileExists(folder / testCase.fileName)) << "a cancelled uninstallation removed the program";
        }
        EXPECT_FALSE(FileExists(folder / L"Orbelin.ini"));
    }
}

}  // namespace
