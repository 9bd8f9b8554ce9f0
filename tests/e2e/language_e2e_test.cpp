// The language of the running program: the one it starts in, the language menu of its settings
// dialog and the translator's tools, driven as a user would.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/start_rules.h"
#include "common/built_program_languages.h"
#include "common/shell_open_recorder.h"
#include "common/system_folders.h"
#include "e2e/orbelin_ui.h"
#include "e2e/program_driver.h"
#include "lang/language_archive.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 15000;
constexpr DWORD kChangeTimeoutMs = 10000;

constexpr int kLanguageCommand = 2022;  // the footer's "# LNG" button
constexpr int kQuickExitCommand = 1055;
constexpr int kQuickDonateCommand = 7779;

// Down-arrow presses that reach a menu item, counted from the top; the separator is passed over.
constexpr int PressesForLanguage(int language) { return language + 1; }
constexpr int kPressesForTranslate = 12;
constexpr int kPressesForLoadFromFile = 13;

// The labels that show a text of the archive and the text ids they show ("<text>: " for the
// headings).
const struct {
    int control;
    int textId;
    bool heading;
} kLabels[] = {
    {1044, 26, true},  {1045, 28, true},  {1046, 84, true},  {32816, 88, true}, {32810, 66, true}, {32817, 38, true},
    {1015, 29, false}, {1018, 53, false}, {1017, 27, false}, {1016, 32, false}, {2033, 48, false},
};

// The text of `id` in `language` as the archive inside the program holds it.
std::wstring ArchiveText(int language, int id) {
    const LanguageArchive* archive = LoadedLanguageArchive();
    const wchar_t* text = archive != nullptr ? archive->Lookup(language, id) : nullptr;
    return text != nullptr ? std::wstring(text) : std::wstring();
}

std::wstring ExpectedLabel(int language, int textId, bool heading) {
    return ArchiveText(language, textId) + (heading ? L": " : L"");
}

std::vector<std::wstring> ExpectedStackingEntries(int language) {
    const std::wstring onTop = ArchiveText(language, 31);
    const std::wstring onDesktop = ArchiveText(language, 11);
    const std::wstring forced = L" + " + ArchiveText(language, 10);
    return {onTop, onTop + forced, onDesktop, onDesktop + forced, ArchiveText(language, 244) + L" + ???"};
}

// The text of a toolbar button of another process: the toolbar writes it into memory of its own
// process, which this test reserves there and reads back.
std::wstring RemoteButtonText(HWND toolbar, int command) {
    DWORD processId = 0;
    GetWindowThreadProcessId(toolbar, &processId);
    UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
    if (!process.IsValid()) return L"<no access>";
    constexpr SIZE_T kCapacity = 1024;
    void* remote =
        VirtualAllocEx(process.Get(), nullptr, kCapacity * sizeof(wchar_t), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (remote == nullptr) return L"<no memory>";
    DWORD_PTR length = 0;
    std::vector<wchar_t> text(kCapacity, L'\0');
    const bool answered = SendMessageTimeoutW(toolbar, TB_GETBUTTONTEXTW, static_cast<WPARAM>(command),
                                              reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, 5000, &length) != 0;
    SIZE_T read = 0;
    const bool copied = ReadProcessMemory(process.Get(), remote, text.data(), kCapacity * sizeof(wchar_t), &read);
    VirtualFreeEx(process.Get(), remote, 0, MEM_RELEASE);
    if (!answered || !copied || length >= kCapacity) return L"<unreadable>";
    return std::wstring(text.data(), length);
}

// The dialog's toolbar that holds `command`, or null.
HWND ToolbarWithButton(HWND dialog, int command) {
    for (HWND child = FindWindowExW(dialog, nullptr, TOOLBARCLASSNAMEW, nullptr); child != nullptr;
         child = FindWindowExW(dialog, child, TOOLBARCLASSNAMEW, nullptr)) {
        if (SendMessageW(child, TB_COMMANDTOINDEX, static_cast<WPARAM>(command), 0) >= 0) return child;
    }
    return nullptr;
}

// A visible dialog of the program with this caption (the file chooser, a message box), or null.
HWND WaitForCaptionedDialog(const RunningProgram& program, const wchar_t* caption, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : program.TopLevelWindows()) {
                if (WindowClassName(window) == kDialogClass && WindowText(window) == caption &&
                    IsWindowVisible(window)) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

// Each test starts portable copies of the program in a throw-away folder of its own, and keeps
// the per-user settings as they were.
class LanguageE2eTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(LoadBuiltProgramArchive()); }
    void SetUp() override { ASSERT_FALSE(BuiltProgramPath().empty()) << "ORBELIN_EXE is not set"; }

    // Starts the copy (with these settings lines unless empty) and waits for its settings dialog.
    std::unique_ptr<RunningProgram> Start(const std::wstring& settingsLines) {
        const std::wstring path = settingsLines.empty() && FileExists(m_folder / L"Orbelin_portable.exe")
                                      ? m_folder / L"Orbelin_portable.exe"
                                      : PreparePortableCopy(m_folder.Path(), settingsLines);
        auto program = std::make_unique<RunningProgram>(path);
        m_dialog =
            program->Started() ? program->WaitForWindow(kDialogClass, kPortableDialogTitle, kStartTimeoutMs) : nullptr;
        return program;
    }

    std::wstring SettingsFile() const { return m_folder / L"Orbelin.ini"; }
    std::wstring StoredLanguage() const { return ReadIniValue(SettingsFile(), L"Program", L"lng"); }

    // Opens the language menu from its button and chooses with `downPresses` arrow presses.
    void ChooseFromLanguageMenu(const RunningProgram& program, int downPresses) const {
        DialogDriver(m_dialog).PostCommand(kLanguageCommand);
        HWND menu = program.WaitForVisibleWindow(kPopupMenuClass, kChangeTimeoutMs);
        ASSERT_NE(menu, nullptr) << "the language menu did not open";
        ASSERT_TRUE(ChooseMenuItem(program, menu, downPresses, kChangeTimeoutMs));
    }

    // Whether every archive text of the dialog is in `language`, reporting the first that is not.
    ::testing::AssertionResult ShowsLanguage(int language) const {
        const DialogDriver dialog(m_dialog);
        for (const auto& label : kLabels) {
            const std::wstring expected = ExpectedLabel(language, label.textId, label.heading);
            const std::wstring shown = dialog.Text(label.control);
            if (shown != expected) {
                return ::testing::AssertionFailure()
                       << "control " << label.control << " shows \"" << shown << "\", not \"" << expected << "\"";
            }
        }
        if (dialog.Entries(kStackingCombo) != ExpectedStackingEntries(language)) {
            return ::testing::AssertionFailure() << "the stacking list is in another language";
        }
        const std::vector<std::wstring> sources = {ArchiveText(language, 81), ArchiveText(language, 82),
                                                   ArchiveText(language, 83)};
        if (dialog.Entries(kSourceCombo) != sources) {
            return ::testing::AssertionFailure() << "the picture source list is in another language";
        }
        if (WindowText(m_dialog) != kPortableDialogTitle) return ::testing::AssertionFailure() << "title changed";
        return ::testing::AssertionSuccess();
    }

    bool WaitForLanguage(int language) const {
        return WaitUntil([&] { return static_cast<bool>(ShowsLanguage(language)); }, kChangeTimeoutMs);
    }

    PerUserSettingsGuard m_perUserSettings;
    TestFolder m_folder{L"language_e2e"};
    HWND m_dialog = nullptr;
};

TEST_F(LanguageE2eTest, StoredLanguageWinsOverTheDetectedOne) {
    // The language of this system, as the program detects it (this machine's Wine runs in the C
    // locale, which Windows programs see as English).
    const int detected = LanguageIndexForLanguageId(GetUserDefaultLangID());
    const struct {
        const wchar_t* lines;
        int language;
        const wchar_t* storedAfter;
    } cases[] = {
        {L"lng=7\r\n", kLanguageFrench, L"7"},
        {L"lng=0\r\n", kLanguageGerman, L"0"},
        {L"lng=1\r\n", kLanguageEnglish, L"1"},
        {L"start_tray=3\r\n", detected, L"<missing>"},  // nothing stored: the detected one, not written
        {L"lng=99\r\n", kLanguageEnglish, L"99"},       // a language the archive lacks reads English
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.lines);
        TestFolder folder(L"start_language");
        RunningProgram program(PreparePortableCopy(folder.Path(), row.lines));
        ASSERT_TRUE(program.Started());
        m_dialog = program.WaitForWindow(kDialogClass, kPortableDialogTitle, kStartTimeoutMs);
        ASSERT_NE(m_dialog, nullptr);
        EXPECT_TRUE(WaitForLanguage(row.language)) << ShowsLanguage(row.language).message();
        EXPECT_EQ(ReadIniValue(folder / L"Orbelin.ini", L"Program", L"lng"), row.storedAfter);
        EXPECT_EQ(program.Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
    }
}

TEST_F(LanguageE2eTest, FrenchFromTheMenuChangesEveryTextAtOnceAndStaysAfterARestart) {
    ASSERT_NE(ArchiveText(kLanguageFrench, 26), ArchiveText(kLanguageEnglish, 26));
    auto program = Start(
        L"lng=1\r\nm_clock_3d_type=6\r\nm_new_on_top_state=2\r\nimg_id=1\r\nm_deactivate_mode=1\r\n"
        L"m_deactivate_sec=12\r\nm_img_mode=0\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(m_dialog) != FALSE; }, kStartTimeoutMs));
    ASSERT_TRUE(ShowsLanguage(kLanguageEnglish));
    const DialogDriver dialog(m_dialog);
    const struct {
        int combo;
        int selection;
    } selections[] = {{kObjectCombo, 6},
                      {kStackingCombo, 2},
                      {kSourceCombo, 1},
                      {kDeactivationCombo, 1},
                      {kDeactivationSecondsCombo, 7},
                      {kAspectCombo, 0}};
    for (const auto& row : selections) ASSERT_EQ(dialog.Selection(row.combo), row.selection) << row.combo;

    ChooseFromLanguageMenu(*program, PressesForLanguage(kLanguageFrench));
    EXPECT_TRUE(WaitForLanguage(kLanguageFrench)) << ShowsLanguage(kLanguageFrench).message();
    EXPECT_EQ(WaitForSettingValue(SettingsFile(), L"lng", L"7", kChangeTimeoutMs), L"7");
    // The lists were filled again in French and kept what was chosen.
    for (const auto& row : selections) EXPECT_EQ(dialog.Selection(row.combo), row.selection) << row.combo;
    EXPECT_EQ(dialog.Entries(kObjectCombo)[6], ArchiveText(kLanguageFrench, 72));
    EXPECT_EQ(dialog.Text(kIntervalLabel), L"10 " + ArchiveText(kLanguageFrench, 86));
    EXPECT_TRUE(dialog.IsEnabled(kSourceMoreButton));
    HWND quickToolbar = ToolbarWithButton(m_dialog, kQuickExitCommand);
    ASSERT_NE(quickToolbar, nullptr);
    EXPECT_EQ(RemoteButtonText(quickToolbar, kQuickExitCommand), ArchiveText(kLanguageFrench, 52));
    EXPECT_EQ(RemoteButtonText(quickToolbar, kQuickDonateCommand), ArchiveText(kLanguageFrench, 25));
    HWND footer = ToolbarWithButton(m_dialog, kLanguageCommand);
    ASSERT_NE(footer, nullptr);
    EXPECT_EQ(RemoteButtonText(footer, kLanguageCommand), L"# LNG");
    EXPECT_EQ(SendMessageW(footer, TB_GETSTATE, kLanguageCommand, 0) & TBSTATE_PRESSED, 0) << "button released";

    // Started again, the program comes up in French.
    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
    program = Start(L"");
    ASSERT_NE(m_dialog, nullptr);
    EXPECT_TRUE(WaitForLanguage(kLanguageFrench)) << ShowsLanguage(kLanguageFrench).message();
    const DialogDriver restarted(m_dialog);
    for (const auto& row : selections) EXPECT_EQ(restarted.Selection(row.combo), row.selection) << row.combo;

    // English, chosen while the file holds French, is written. (This start keeps the dialog
    // hidden; the tray icon shows it.)
    LeftClickTrayIcon(program->WaitForWindow(kMainWindowClass, kMainWindowTitle, kStartTimeoutMs));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(m_dialog) != FALSE; }, kChangeTimeoutMs));
    ChooseFromLanguageMenu(*program, PressesForLanguage(kLanguageEnglish));
    EXPECT_TRUE(WaitForLanguage(kLanguageEnglish)) << ShowsLanguage(kLanguageEnglish).message();
    EXPECT_EQ(WaitForSettingValue(SettingsFile(), L"lng", L"1", kChangeTimeoutMs), L"1");
    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

TEST_F(LanguageE2eTest, TranslatorExportsTheTemplateAndLoadsItBack) {
    ShellOpenRecorder opener({L".txt"});
    auto program = Start(L"lng=1\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(m_dialog) != FALSE; }, kStartTimeoutMs));

    // "Translate" writes the template into the temporary folder and has it opened.
    ChooseFromLanguageMenu(*program, kPressesForTranslate);
    const std::vector<std::wstring> opened = opener.WaitForOpened(1, kChangeTimeoutMs);
    ASSERT_EQ(opened.size(), 1u) << "the template was not opened";
    const std::wstring templatePath = opened[0];
    EXPECT_EQ(lstrcmpiW(templatePath.c_str(), (TemporaryFolderPath() + L"translate_Orbelin_1.0.txt").c_str()), 0)
        << templatePath;
    const std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(templatePath);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_TRUE(StartsWithUtf16Mark(*bytes));
    EXPECT_EQ(StoredLanguage(), L"1") << "every chosen command stores the language";
    EXPECT_TRUE(ShowsLanguage(kLanguageEnglish));

    // "Load from File (Unicode)" with that template: complete, and the texts stay English.
    ChooseFromLanguageMenu(*program, kPressesForLoadFromFile);
    HWND chooser = WaitForCaptionedDialog(*program, L"Open", kChangeTimeoutMs);
    ASSERT_NE(chooser, nullptr) << "no file chooser";
    HWND name = GetDlgItem(chooser, 0x47C);  // the file name box (cmb13), or the older edit (edt1)
    if (name == nullptr) name = GetDlgItem(chooser, 0x480);
    ASSERT_NE(name, nullptr);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(templatePath.c_str()));
    PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDOK)));

    HWND report = WaitForCaptionedDialog(*program, L"Translate", kChangeTimeoutMs);
    ASSERT_NE(report, nullptr) << "no report";
    EXPECT_EQ(WindowText(GetDlgItem(report, 0xFFFF)), L"100 %");
    PostMessageW(report, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(report, IDOK)));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(report) || !IsWindowVisible(report); }, kChangeTimeoutMs));
    EXPECT_TRUE(WaitForLanguage(kLanguageEnglish)) << ShowsLanguage(kLanguageEnglish).message();

    // A language from the menu ends the translation.
    ChooseFromLanguageMenu(*program, PressesForLanguage(kLanguageGerman));
    EXPECT_TRUE(WaitForLanguage(kLanguageGerman)) << ShowsLanguage(kLanguageGerman).message();
    EXPECT_EQ(WaitForSettingValue(SettingsFile(), L"lng", L"0", kChangeTimeoutMs), L"0");
    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
    DeleteFileW(templatePath.c_str());
}

TEST_F(LanguageE2eTest, ThePictureSelectionDialogFollowsTheLanguageToo) {
    auto program = Start(L"lng=1\r\nimg_id=0\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(m_dialog) != FALSE; }, kStartTimeoutMs));
    // The individual list with nothing stored opens the picture selection dialog.
    DialogDriver(m_dialog).ChooseEntry(kSourceCombo, 2);
    const std::wstring englishTitle = ArchiveText(kLanguageEnglish, 83);
    HWND pictures = WaitForCaptionedDialog(*program, englishTitle.c_str(), kChangeTimeoutMs);
    ASSERT_NE(pictures, nullptr) << "no picture selection dialog";
    ASSERT_EQ(GetWindow(pictures, GW_OWNER), m_dialog);
    // Hidden, it still exists and follows.
    PostMessageW(pictures, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(pictures); }, kChangeTimeoutMs));

    ChooseFromLanguageMenu(*program, PressesForLanguage(kLanguageFrench));
    EXPECT_TRUE(WaitForLanguage(kLanguageFrench)) << ShowsLanguage(kLanguageFrench).message();
    const std::wstring frenchTitle = ArchiveText(kLanguageFrench, 83);
    ASSERT_NE(frenchTitle, englishTitle);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(pictures) == frenchTitle; }, kChangeTimeoutMs))
        << WindowText(pictures);
    const std::wstring info = WindowText(GetDlgItem(pictures, 1075));
    const std::wstring deleteHint = ArchiveText(kLanguageFrench, 5);
    ASSERT_GE(info.size(), deleteHint.size());
    EXPECT_EQ(info.substr(info.size() - deleteHint.size()), deleteHint) << info;
    HWND toolbar = ToolbarWithButton(pictures, 32908);
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(RemoteButtonText(toolbar, 32908), L"[" + ArchiveText(kLanguageFrench, 57) + L"]");
    EXPECT_EQ(RemoteButtonText(toolbar, 32821), L"[" + ArchiveText(kLanguageFrench, 62) + L"]");
    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

}  // namespace
