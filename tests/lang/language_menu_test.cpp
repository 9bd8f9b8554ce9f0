// The language menu, its commands and the translator's files, in the test's own process: another
// process cannot read a menu's items under Wine, and the message boxes are answered here.
#include "lang/language_menu.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <psapi.h>

#include <atomic>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/built_program_languages.h"
#include "common/message_box_watcher.h"
#include "common/shell_open_recorder.h"
#include "common/system_folders.h"
#include "common/test_files.h"
#include "common/unique_handle.h"
#include "common/window_text.h"
#include "lang/language_archive.h"
#include "lang/language_choice.h"
#include "lang/translation_file.h"
#include "lang_test_support.h"
#include "settings/app_config.h"
#include "settings/ini_file.h"

namespace {

constexpr DWORD kMessageBoxTimeoutMs = 20000;
constexpr int kLanguageButton = 2022;

// Down-arrow presses from the top of the menu that reach a language's item.
constexpr int PressesFor(int language) { return language + 1; }

std::wstring Str(const wchar_t* text) { return text != nullptr ? std::wstring(text) : L"<null>"; }

std::wstring MenuText(HMENU menu, int position) {
    wchar_t text[512] = L"<junk>";
    const int length = GetMenuStringW(menu, static_cast<UINT>(position), text, 512, MF_BYPOSITION);
    return std::wstring(text, length > 0 ? length : 0);
}

UINT MenuType(HMENU menu, int position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    info.fType = 0xdeadbeef;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) return 0xFFFFFFFF;
    return info.fType;
}

std::vector<uint8_t> Utf16Bytes(const std::wstring& text, bool withMark) {
    std::vector<uint8_t> bytes;
    if (withMark) bytes = {0xFF, 0xFE};
    const std::vector<uint8_t> body = Utf16LeBytes(text);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

// The program's state around the menu: the archive of the built program, the current language,
// any translation and a settings file of the test's own. Each test leaves them as it found them.
class LanguageMenuTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(LoadBuiltProgramArchive()) << "the archive of the program named by ORBELIN_EXE";
    }
    void SetUp() override {
        m_archive = LoadedLanguageArchive();
        ASSERT_NE(m_archive, nullptr);
        m_savedLanguage = CurrentLanguageIndex();
        m_savedSettingsPath = SettingsPath();
        ASSERT_TRUE(WriteFileBytes(SettingsFile(), Utf16FileBytes(L"[Program]\r\nstart_tray=4\r\n")));
        SetSettingsPath(SettingsFile());
        SetCurrentLanguageIndex(kLanguageEnglish);
        GlobalAppConfig().language.Hold(kLanguageEnglish);
    }
    void TearDown() override {
        DeactivateTranslation();
        SetCurrentLanguageIndex(m_savedLanguage);
        SetSettingsPath(m_savedSettingsPath);
    }

    std::wstring SettingsFile() const { return m_folder / L"Orbelin.ini"; }
    std::wstring StoredLanguage() const { return ReadIniValue(SettingsFile(), L"Program", L"lng"); }

    // Runs `task` while this thread answers the message boxes it shows.
    static std::vector<SeenMessageBox> Answering(const std::function<void()>& task) {
        return RunAnsweringMessageBoxes(task, kMessageBoxTimeoutMs);
    }

    TestFolder m_folder{L"language_menu"};
    const LanguageArchive* m_archive = nullptr;
    int m_savedLanguage = kLanguageEnglish;
    std::wstring m_savedSettingsPath;
};

TEST_F(LanguageMenuTest, ShippedMenuGreysTheCurrentLanguageAndEndsWithTheTranslatorsTools) {
    for (int current : {static_cast<int>(kLanguageEnglish), static_cast<int>(kLanguageFrench),
                        static_cast<int>(kLanguageDanish), 99}) {
        SCOPED_TRACE(current);
        HMENU menu = CreateLanguageMenu(*m_archive, current, false);
        ASSERT_NE(menu, nullptr);
        const std::vector<LanguageMenuItem> languages = LanguageMenuItems(*m_archive, current, false);
        ASSERT_EQ(languages.size(), 11u);
        ASSERT_EQ(GetMenuItemCount(menu), 14);
        for (int position = 0; position < 11; ++position) {
            SCOPED_TRACE(position);
            EXPECT_EQ(GetMenuItemID(menu, position), static_cast<UINT>(10 + position));
            EXPECT_EQ(MenuText(menu, position), languages[position].text);
            const UINT state = GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION);
            const UINT disabled = position == current ? MF_GRAYED | MF_DISABLED : 0;
            EXPECT_EQ(state & (MF_GRAYED | MF_DISABLED), disabled);
            EXPECT_EQ(state & MF_CHECKED, 0u) << "the current language carries no check mark";
            EXPECT_EQ(MenuType(menu, position) & (MFT_MENUBREAK | MFT_MENUBARBREAK), 0u) << "one column only";
        }
        EXPECT_NE(MenuType(menu, 11) & MFT_SEPARATOR, 0u);
        EXPECT_EQ(GetMenuItemID(menu, 12), 1000u);
        EXPECT_EQ(MenuText(menu, 12), L"Translate");
        EXPECT_EQ(GetMenuItemID(menu, 13), 1001u);
        EXPECT_EQ(MenuText(menu, 13), L"Load from File (Unicode)");
        for (int position : {12, 13}) EXPECT_EQ(GetMenuState(menu, position, MF_BYPOSITION) & MF_GRAYED, 0u);
        DestroyMenu(menu);
    }
    HMENU menu = CreateLanguageMenu(*m_archive, kLanguageFrench, false);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(MenuText(menu, 2), L"Danish\tDansk / 77 %");
    EXPECT_EQ(MenuText(menu, 7), L"French\tFrançais / 100 %");
    DestroyMenu(menu);
}

TEST_F(LanguageMenuTest, MoreThanTwelveSectionsRunInTwoColumns) {
    std::wstring text = L"\xFEFF##\r\n19=T 1\r\n##\r\nl\r\n##\r\nL\r\n";
    for (int section = 0; section < 13; ++section) {
        text += L"##=Language " + std::to_wstring(section) + L"\r\n1=x\r\n";
    }
    text += L"##\r\n";
    const auto archive = ArchiveFromText(text);
    ASSERT_NE(archive, nullptr);
    ASSERT_EQ(archive->SectionCount(), 14);
    HMENU menu = CreateLanguageMenu(*archive, 3, false);
    ASSERT_NE(menu, nullptr);
    // 13 languages, the empty break item at 14 / 2 + 2, a separator and the two tools.
    ASSERT_EQ(GetMenuItemCount(menu), 17);
    EXPECT_EQ(MenuText(menu, 8), L"Language 8 / 100 %");
    EXPECT_EQ(GetMenuItemID(menu, 9), 0u);
    EXPECT_EQ(MenuText(menu, 9), L"");
    const UINT breakType = MFT_MENUBREAK | MFT_MENUBARBREAK | MFT_RIGHTJUSTIFY;
    EXPECT_EQ(MenuType(menu, 9) & breakType, breakType);
    EXPECT_EQ(MenuText(menu, 10), L"Language 9 / 100 %");
    EXPECT_EQ(GetMenuItemID(menu, 10), 19u);
    for (int position : {0, 8, 10, 12}) EXPECT_EQ(MenuType(menu, position) & breakType, 0u) << position;
    EXPECT_EQ(GetMenuState(menu, 3, MF_BYPOSITION) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
    EXPECT_NE(MenuType(menu, 14) & MFT_SEPARATOR, 0u);
    EXPECT_EQ(GetMenuItemID(menu, 16), 1001u);
    DestroyMenu(menu);
}

TEST_F(LanguageMenuTest, MarkerFileInTheCurrentFolderNumbersTheLanguages) {
    wchar_t previous[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(m_folder.Path().c_str()));
    const bool before = LanguageMenuNumbered();
    const bool written = WriteFileBytes(m_folder / L"AtlMiscX", std::string());
    const bool after = LanguageMenuNumbered();
    SetCurrentDirectoryW(previous);
    ASSERT_TRUE(written);
    EXPECT_FALSE(before);
    EXPECT_TRUE(after);
    EXPECT_FALSE(LanguageMenuNumbered()) << "only the current folder counts";

    HMENU menu = CreateLanguageMenu(*m_archive, kLanguageEnglish, true);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(MenuText(menu, 2), L"2) Danish\tDansk | 77 %");
    EXPECT_EQ(MenuText(menu, 12), L"Translate");
    DestroyMenu(menu);
}

TEST_F(LanguageMenuTest, EveryChosenCommandStoresTheLanguage) {
    ASSERT_TRUE(WriteFileBytes(SettingsFile(), Utf16FileBytes(L"[Program]\r\nlng=7\r\n")));
    SetCurrentLanguageIndex(kLanguageFrench);
    // Even a setting item that believes it holds English already must write the choice.
    GlobalAppConfig().language.Hold(kLanguageEnglish);

    const struct {
        int command;
        bool rebuildsTexts;
        int languageAfter;
        const wchar_t* stored;
    } cases[] = {
        {0, false, kLanguageFrench, L"-5"},  // no choice: nothing happens
        {11, true, kLanguageEnglish, L"1"},
        {11, true, kLanguageEnglish, L"1"},  // written again although unchanged
        {10, true, kLanguageGerman, L"0"},
        {17, true, kLanguageFrench, L"7"},
        {20, true, kLanguageItalian, L"10"},
        {999, false, kLanguageItalian, L"10"},  // outside every range: only stored
        {57, true, 47, L"47"},                  // the last section the menu can list
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.command);
        // A stored value differing from the choice shows that the command wrote it.
        WritePrivateProfileStringW(L"Program", L"lng", L"-5", SettingsFile().c_str());
        ActivateTranslation(std::make_unique<TranslationTable>(L"1=loaded\n"));
        EXPECT_EQ(RunLanguageMenuCommand(row.command), row.rebuildsTexts);
        EXPECT_EQ(CurrentLanguageIndex(), row.languageAfter);
        EXPECT_EQ(StoredLanguage(), row.stored);
        if (row.command == 0 || row.command == 999) {
            EXPECT_NE(ActiveTranslation(), nullptr) << "the translation stays";
        } else {
            EXPECT_EQ(ActiveTranslation(), nullptr) << "an archive language ends the translation";
        }
        DeactivateTranslation();
    }
    EXPECT_TRUE(StartsWithUtf16Mark(*ReadFileBytes(SettingsFile()))) << "the settings file stays UTF-16";
}

// Opens the menu from a toolbar button as the settings dialog does, and works it from another
// thread with keys once it is shown, recording what the screen showed meanwhile.
class MenuUnderButtonTest : public LanguageMenuTest {
protected:
    void SetUp() override {
        LanguageMenuTest::SetUp();
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        m_window = CreateWindowExW(0, WC_STATICW, L"language menu host", WS_POPUP | WS_VISIBLE | WS_CAPTION, 60, 40,
                                   500, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_window, nullptr);
        m_toolbar = CreateWindowExW(
            0, TOOLBARCLASSNAMEW, nullptr,
            WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 10,
            120, 400, 30, m_window, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_toolbar, nullptr);
        SendMessageW(m_toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        TBBUTTON buttons[2]{};
        const wchar_t* texts[2] = {L"A longer button before it", L"# LNG"};
        const int ids[2] = {1013, kLanguageButton};
        for (int i = 0; i < 2; ++i) {
            buttons[i].iBitmap = I_IMAGENONE;
            buttons[i].idCommand = ids[i];
            buttons[i].fsState = TBSTATE_ENABLED;
            buttons[i].fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
            buttons[i].iString = reinterpret_cast<INT_PTR>(texts[i]);
        }
        SendMessageW(m_toolbar, TB_ADDBUTTONSW, 2, reinterpret_cast<LPARAM>(buttons));
        SendMessageW(m_toolbar, TB_AUTOSIZE, 0, 0);
    }
    void TearDown() override {
        if (m_window != nullptr) DestroyWindow(m_window);
        LanguageMenuTest::TearDown();
    }

    struct Seen {
        bool menuShown = false;
        bool stayedOpen = false;
        RECT menuRect{};
        LRESULT buttonState = 0;
    };

    // Shows the menu; once it is on screen, presses the down arrow `downPresses` times and then
    // Enter (Escape without presses). Returns what ShowLanguageMenu returned.
    bool ShowAndChoose(int downPresses, Seen& seen) {
        std::atomic<bool> finished{false};
        const DWORD processId = GetCurrentProcessId();
        std::thread worker([&] {
            HWND menu = nullptr;
            for (int waited = 0; waited < 10000 && menu == nullptr && !finished; waited += 20) {
                Sleep(20);
                for (HWND window = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); window != nullptr;
                     window = FindWindowExW(nullptr, window, L"#32768", nullptr)) {
                    DWORD owner = 0;
                    GetWindowThreadProcessId(window, &owner);
                    if (owner == processId && IsWindowVisible(window)) menu = window;
                }
            }
            if (menu == nullptr) return;
            seen.menuShown = true;
            GetWindowRect(menu, &seen.menuRect);
            seen.buttonState = SendMessageW(m_toolbar, TB_GETSTATE, kLanguageButton, 0);
            const auto press = [menu](UINT key) {
                PostMessageW(menu, WM_KEYDOWN, key,
                             1 | (static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16));
            };
            for (int i = 0; i < downPresses; ++i) press(VK_DOWN);
            press(downPresses > 0 ? VK_RETURN : VK_ESCAPE);
            // A choice the menu does not take (a greyed item) leaves it open: close it then.
            for (int waited = 0; waited < 5000 && !finished; waited += 20) Sleep(20);
            if (!finished) {
                seen.stayedOpen = true;
                press(VK_ESCAPE);
            }
        });
        const bool rebuild = ShowLanguageMenu(m_window, m_toolbar);
        finished = true;
        worker.join();
        return rebuild;
    }

    POINT ButtonBottomLeft() const {
        RECT button{};
        const LRESULT index = SendMessageW(m_toolbar, TB_COMMANDTOINDEX, kLanguageButton, 0);
        SendMessageW(m_toolbar, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button));
        POINT corner{button.left, button.bottom};
        ClientToScreen(m_toolbar, &corner);
        return corner;
    }

    HWND m_window = nullptr;
    HWND m_toolbar = nullptr;
};

TEST_F(MenuUnderButtonTest, OpensUnderThePressedButtonAndChoosesWithTheKeyboard) {
    Seen escaped;
    EXPECT_FALSE(ShowAndChoose(0, escaped));
    ASSERT_TRUE(escaped.menuShown);
    const POINT corner = ButtonBottomLeft();
    EXPECT_GT(corner.x, 100) << "the button is not the toolbar's first";
    EXPECT_EQ(escaped.menuRect.left, corner.x);
    EXPECT_EQ(escaped.menuRect.top, corner.y);
    EXPECT_NE(escaped.buttonState & TBSTATE_PRESSED, 0) << "the button is shown pressed while the menu is open";
    EXPECT_EQ(SendMessageW(m_toolbar, TB_GETSTATE, kLanguageButton, 0) & TBSTATE_PRESSED, 0) << "and released after";
    EXPECT_EQ(CurrentLanguageIndex(), kLanguageEnglish);
    EXPECT_EQ(StoredLanguage(), L"<missing>") << "no choice stores nothing";

    // The arrow keys pass over no language, the greyed current one included: the eighth is French.
    Seen chosen;
    EXPECT_TRUE(ShowAndChoose(PressesFor(kLanguageFrench), chosen));
    EXPECT_FALSE(chosen.stayedOpen);
    ASSERT_TRUE(chosen.menuShown);
    EXPECT_EQ(CurrentLanguageIndex(), kLanguageFrench);
    EXPECT_EQ(StoredLanguage(), L"7");
    EXPECT_EQ(Str(LangText(84)), Str(m_archive->SectionText(kLanguageFrench, 84)));
    EXPECT_EQ(SendMessageW(m_toolbar, TB_GETSTATE, kLanguageButton, 0) & TBSTATE_PRESSED, 0);
}

TEST_F(MenuUnderButtonTest, TheCurrentLanguageLeadsBackFromATranslation) {
    // French is in use: Enter on its item chooses nothing. (Wine then closes the menu; where a
    // menu stays open instead, the helper closes it.)
    SetCurrentLanguageIndex(kLanguageFrench);
    Seen greyed;
    EXPECT_FALSE(ShowAndChoose(PressesFor(kLanguageFrench), greyed));
    ASSERT_TRUE(greyed.menuShown);
    EXPECT_EQ(StoredLanguage(), L"<missing>") << "the language in use was offered";

    // With a translation file showing the texts, French leads back to the archive's French.
    ActivateTranslation(std::make_unique<TranslationTable>(L"84=from the file\n"));
    ASSERT_EQ(Str(LangText(84)), L"from the file");
    Seen chosen;
    EXPECT_TRUE(ShowAndChoose(PressesFor(kLanguageFrench), chosen));
    EXPECT_FALSE(chosen.stayedOpen);
    EXPECT_EQ(ActiveTranslation(), nullptr);
    EXPECT_EQ(CurrentLanguageIndex(), kLanguageFrench);
    EXPECT_EQ(Str(LangText(84)), Str(m_archive->SectionText(kLanguageFrench, 84)));
    EXPECT_EQ(StoredLanguage(), L"7");
}

// The template as the user's editor gets it: byte-order mark, instructions, the program title
// and the English section exactly as the archive stores it.
std::vector<uint8_t> ExpectedTemplateBytes(const LanguageArchive& archive) {
    const std::wstring title = Str(archive.HeaderText(19));
    return Utf16Bytes(L"\r\nPlease don't forget! Write in e-mail subject: Strings for: " + title +
                          L" and Language Name : German / Deutsch \r\n\r\n" + Str(archive.HeaderText(25)) +
                          L"\r\n\r\n##=English\tEnglisch\r\n\r\nVersion=" + title + L"\r\n" + archive.EnglishBody() +
                          L"\r\n\r\n",
                      true);
}

TEST_F(LanguageMenuTest, TranslateWritesTheTemplateAndOpensIt) {
    ShellOpenRecorder opener({L".txt"});
    const std::wstring path = TranslationTemplatePath();
    DeleteFileW(path.c_str());

    std::wstring name = Str(m_archive->HeaderText(19));
    for (wchar_t& character : name) {
        if (character == L' ') character = L'_';
    }
    EXPECT_EQ(path, TemporaryFolderPath() + L"translate_" + name + L".txt");
    EXPECT_EQ(path.find(L' '), std::wstring::npos);

    EXPECT_FALSE(RunLanguageMenuCommand(kTranslateCommand)) << "the texts stay as they are";
    EXPECT_EQ(StoredLanguage(), L"1");
    const std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(path);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_TRUE(*bytes == ExpectedTemplateBytes(*m_archive));
    // The English section as stored: information lines and every text line, headings included.
    const std::wstring text = DecodeTranslationText(*bytes);
    const std::wstring versionLine = L"Version=" + Str(m_archive->HeaderText(19)) + L"\r\n";
    const size_t body = text.find(versionLine);
    ASSERT_NE(body, std::wstring::npos);
    EXPECT_EQ(text.substr(body + versionLine.size(), m_archive->EnglishBody().size()), m_archive->EnglishBody());
    EXPECT_NE(m_archive->EnglishBody().find(L"\nTranslatorName="), std::wstring::npos);
    EXPECT_NE(m_archive->EnglishBody().find(L"\r\n246=Homepage\r\n"), std::wstring::npos);

    const std::vector<std::wstring> opened = opener.WaitForOpened(1, 10000);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(lstrcmpiW(opened[0].c_str(), path.c_str()), 0) << opened[0];
    DeleteFileW(path.c_str());
}

TEST_F(LanguageMenuTest, TemplateKeptOpenByAnEditorIsOverwrittenWhole) {
    ShellOpenRecorder opener({L".txt"});
    const std::wstring path = TranslationTemplatePath();
    ASSERT_TRUE(WriteFileBytes(path, std::vector<uint8_t>(300000, 'q')));
    {
        // An editor that lets others write, but not delete.
        UniqueHandle editor(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(editor.IsValid());
        ASSERT_FALSE(DeleteFileW(path.c_str())) << "the earlier template could be deleted: the case does not arise";
        ExportTranslationTemplate();
    }
    const std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(path);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->size(), ExpectedTemplateBytes(*m_archive).size()) << "part of the earlier file stayed behind";
    EXPECT_TRUE(*bytes == ExpectedTemplateBytes(*m_archive));
    EXPECT_EQ(opener.WaitForOpened(1, 10000).size(), 1u);
    DeleteFileW(path.c_str());
}

TEST_F(LanguageMenuTest, LoadedTemplateReportsCompleteAndKeepsEnglish) {
    ShellOpenRecorder opener({L".txt"});
    ExportTranslationTemplate();
    const std::wstring path = TranslationTemplatePath();
    std::wstring report;
    const std::vector<SeenMessageBox> boxes = Answering([&] { report = LoadTranslationFile(path); });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Translate");
    EXPECT_EQ(boxes[0].text, L"100 %");
    EXPECT_EQ(report, L"100 %");
    ASSERT_NE(ActiveTranslation(), nullptr);
    for (int id : {1, 26, 84, 241}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(Str(LangText(id)), Str(m_archive->SectionText(kLanguageEnglish, id)));
        EXPECT_NE(LangText(id), m_archive->SectionText(kLanguageEnglish, id)) << "the text comes from the file";
    }
    EXPECT_EQ(StoredLanguage(), L"<missing>") << "loading a file stores nothing";
    DeleteFileW(path.c_str());
}

TEST_F(LanguageMenuTest, TranslationFilesOfEveryKindReportAndTheMenuRestoresTheArchive) {
    std::mt19937 random(15);
    std::vector<uint8_t> binary(65536);
    for (uint8_t& byte : binary) byte = static_cast<uint8_t>(random());

    std::string severalMegabytes;
    while (severalMegabytes.size() < 6u * 1024 * 1024) {
        severalMegabytes += "300=" + std::string(200, 'y') + "\r\nno equals sign on this line at all\r\n";
    }
    severalMegabytes += "1=Big\r\n";

    std::vector<uint8_t> oddUtf16 = Utf16Bytes(L"1=Uno\r\n84=Sorgente\r\n", true);
    oddUtf16.push_back('9');

    const std::wstring ansiCafe = GetACP() == 1252 ? L"Café" : L"";

    const struct {
        const char* name;
        std::optional<std::vector<uint8_t>> content;  // nothing: no such file
        const wchar_t* percent;                       // how the report begins
        int id;                                       // a text to look at while loaded
        std::wstring text;
    } cases[] = {
        {"missing file", std::nullopt, L"0 %\n\nmiss:\n", 84, L"str:84?"},
        {"empty file", std::vector<uint8_t>(), L"0 %\n\nmiss:\n", 84, L"str:84?"},
        {"byte-order mark only", std::vector<uint8_t>{0xFF, 0xFE}, L"0 %\n\nmiss:\n", 1, L"str:1?"},
        {"only text 1", Utf16Bytes(L"1=Info\n", true), L"0 %\n\nmiss:\n0=", 1, L"Info"},
        {"UTF-16 with an odd byte count", oddUtf16, L"1 %\n\nmiss:\n", 84, L"Sorgente"},
        {"ANSI text", std::vector<uint8_t>{'1', '=', 'C', 'a', 'f', 0xE9, '\r', '\n'}, L"0 %", 1, ansiCafe},
        {"UTF-16 without mark reads as ANSI", Utf16Bytes(L"1=Uno\n", false), L"0 %", 84, L"str:84?"},
        {"binary", binary, L"", 84, L""},
        {"ids out of range", Utf16Bytes(L"256=a\n-1=b\n1000=c\n99999999999=d\n", true), L"0 %", 84, L"str:84?"},
        {"lines without =", Utf16Bytes(L"hello\nworld\n84 Bildquelle\n", true), L"0 %", 84, L"str:84?"},
        {"a line of 100,000 characters", Utf16Bytes(L"1=" + std::wstring(100000, L'x') + L"\n", true), L"0 %", 1,
         std::wstring(100000, L'x')},
        {"several megabytes", std::vector<uint8_t>(severalMegabytes.begin(), severalMegabytes.end()), L"0 %", 1,
         L"Big"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        const std::wstring path = m_folder / L"translation.txt";
        DeleteFileW(path.c_str());
        if (row.content) {
            ASSERT_TRUE(WriteFileBytes(path, *row.content));
        }

        std::wstring report;
        const std::vector<SeenMessageBox> boxes = Answering([&] { report = LoadTranslationFile(path); });
        ASSERT_EQ(boxes.size(), 1u) << "one report";
        EXPECT_EQ(boxes[0].caption, L"Translate");
        EXPECT_EQ(boxes[0].text, report);
        EXPECT_EQ(report.compare(0, std::wcslen(row.percent), row.percent), 0) << report;
        ASSERT_NE(ActiveTranslation(), nullptr);
        if (!row.text.empty()) {
            EXPECT_EQ(Str(LangText(row.id)), row.text);
        }
        // Whatever the file held, the report lists at most nine texts.
        EXPECT_LT(report.size(), 2000u);

        // A language from the menu brings the archive's texts back.
        EXPECT_TRUE(RunLanguageMenuCommand(10 + kLanguageEnglish));
        EXPECT_EQ(ActiveTranslation(), nullptr);
        EXPECT_EQ(Str(LangText(84)), L"Image source");
    }
}

TEST_F(LanguageMenuTest, OversizedTranslationFileReadsAsUnreadable) {
    const std::wstring path = m_folder / L"huge.txt";
    std::string content(static_cast<size_t>(kMaxTranslationFileSize) + 1, ' ');
    content.replace(0, 7, "1=Huge\n");
    ASSERT_TRUE(WriteFileBytes(path, content));
    EXPECT_EQ(ReadTranslationFile(path), L"");
    content.resize(static_cast<size_t>(kMaxTranslationFileSize));
    ASSERT_TRUE(WriteFileBytes(path, content));
    EXPECT_EQ(ReadTranslationFile(path).compare(0, 7, L"1=Huge\n"), 0) << "a file of the largest size is read";
}

TEST_F(LanguageMenuTest, WhatIsKeptOfALoadedFileIsItsTextsOnly) {
    std::string content;
    while (content.size() < 4u * 1024 * 1024) content += "a line without any equals sign, over and over\r\n";
    content += "84=Quelle\r\n";
    const std::wstring path = m_folder / L"mostly_junk.txt";
    ASSERT_TRUE(WriteFileBytes(path, content));
    Answering([&] { LoadTranslationFile(path); });
    ASSERT_NE(ActiveTranslation(), nullptr);
    EXPECT_EQ(Str(LangText(84)), L"Quelle");
    EXPECT_EQ(ActiveTranslation()->KeptLength(), 7u);
}

TEST_F(LanguageMenuTest, ATranslationFileOverTheLimitIsSaidToBeTooLarge) {
    // A translation in use first: it stays in use.
    const std::wstring small = m_folder / L"small.txt";
    ASSERT_TRUE(WriteFileBytes(small, std::string("84=Quelle\r\n")));
    Answering([&] { LoadTranslationFile(small); });
    ASSERT_EQ(Str(LangText(84)), L"Quelle");

    const std::wstring path = m_folder / L"twenty.txt";
    std::string content(20u * 1024 * 1024, ' ');
    content.replace(0, 12, "84=Riesig\r\n");
    ASSERT_TRUE(WriteFileBytes(path, content));
    std::wstring shown;
    const std::vector<SeenMessageBox> boxes = Answering([&] { shown = LoadTranslationFile(path); });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Translate");
    EXPECT_EQ(boxes[0].text, L"The translation file is too large (more than 16 MB) and was not loaded.\n\n" + path);
    EXPECT_EQ(shown, boxes[0].text);
    EXPECT_EQ(Str(LangText(84)), L"Quelle") << "the translation in use stays";
}

// Every loaded file used to stay in memory until the program ended. A thread that copies texts
// meanwhile, as the display workers do, always gets a whole text of one of the tables.
TEST_F(LanguageMenuTest, RepeatedLoadsKeepOnlyTheTableInUse) {
    constexpr int kLoads = 24;
    constexpr size_t kTextLength = 2u * 1024 * 1024;  // 4 MB of UTF-16 kept per table
    std::atomic<bool> done{false};
    std::atomic<int> strayTexts{0};
    std::thread copier([&] {
        while (!done) {
            const std::wstring text = LangString(26);
            const bool whole = text == L"Size" ||
                               (text.size() == kTextLength && text.find_first_not_of(text[0]) == std::wstring::npos);
            if (!whole) ++strayTexts;
        }
    });
    PROCESS_MEMORY_COUNTERS before{};
    before.cb = sizeof(before);
    GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof(before));
    for (int load = 0; load < kLoads; ++load) {
        SCOPED_TRACE(load);
        // What LoadTranslationFile makes of a file, without its report.
        ActivateTranslation(std::make_unique<TranslationTable>(
            L"26=" + std::wstring(kTextLength, static_cast<wchar_t>(L'A' + load)) + L"\n"));
        EXPECT_LE(HeldTranslationTables(), 2u);
    }
    PROCESS_MEMORY_COUNTERS after{};
    after.cb = sizeof(after);
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof(after));
    done = true;
    copier.join();
    EXPECT_EQ(strayTexts, 0);
    EXPECT_EQ(LangString(26), std::wstring(kTextLength, static_cast<wchar_t>(L'A' + kLoads - 1)));
    // 24 tables of 4 MB held would be 96 MB more.
    const double grownMegabytes = (static_cast<double>(after.PagefileUsage) - before.PagefileUsage) / 1048576.0;
    std::printf("memory after %d loads of a 4 MB translation: %+.1f MB\n", kLoads, grownMegabytes);
    EXPECT_LT(grownMegabytes, 40.0);

    // Through the menu's command too: a file loaded after them leaves one table.
    const std::wstring path = m_folder / L"small.txt";
    ASSERT_TRUE(WriteFileBytes(path, std::string("26=Taille\r\n")));
    Answering([&] { LoadTranslationFile(path); });
    EXPECT_EQ(LangString(26), L"Taille");
    EXPECT_EQ(HeldTranslationTables(), 1u);

    DeactivateTranslation();
    EXPECT_EQ(HeldTranslationTables(), 0u);
    EXPECT_EQ(LangString(26), L"Size");
}

// The developer marker file is looked up in the current folder: choosing a translation file in
// another folder leaves the current folder where it was.
TEST_F(LanguageMenuTest, ChoosingATranslationFileKeepsTheCurrentFolder) {
    TestFolder elsewhere(L"translations");
    const std::wstring path = elsewhere / L"italiano.txt";
    ASSERT_TRUE(WriteFileBytes(path, std::string("84=Origine\r\n")));
    wchar_t before[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, before);

    std::atomic<bool> done{false};
    bool chosen = false;
    std::thread chooser([&] {
        chosen = ChooseTranslationFile();
        done = true;
    });
    int typed = 0;
    std::vector<HWND> recorded;
    std::vector<SeenMessageBox> seen;
    const DWORD start = GetTickCount();
    while (!done && GetTickCount() - start < kMessageBoxTimeoutMs) {
        HWND open = nullptr;
        for (HWND window = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); window != nullptr;
             window = FindWindowExW(nullptr, window, L"#32770", nullptr)) {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == GetCurrentProcessId() && IsWindowVisible(window) && WindowText(window) == L"Open") {
                open = window;
            }
        }
        if (open != nullptr && typed < 2) {
            // As a user does: into the folder first, then the file.
            HWND name = GetDlgItem(open, 0x47C);  // the file name box (cmb13), or the older edit (edt1)
            if (name == nullptr) name = GetDlgItem(open, 0x480);
            if (name != nullptr) {
                const std::wstring entry = typed == 0 ? elsewhere.Path() : std::wstring(L"italiano.txt");
                SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(entry.c_str()));
                SendMessageW(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(open, IDOK)));
                ++typed;
            }
        }
        if (open == nullptr) AnswerMessageBoxes(GetCurrentProcessId(), recorded, seen);
        Sleep(20);
    }
    if (!done) {
        // Not answered in time: the chooser is closed, so that the thread ends.
        for (HWND window = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); window != nullptr;
             window = FindWindowExW(nullptr, window, L"#32770", nullptr)) {
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
    }
    chooser.join();
    ASSERT_TRUE(chosen);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"Translate");
    EXPECT_EQ(Str(LangText(84)), L"Origine");
    wchar_t after[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_STREQ(after, before);
    SetCurrentDirectoryW(before);
}

}  // namespace
