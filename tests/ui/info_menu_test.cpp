// The Info menu's shape for each installation state, with the installation read from the real
// registry of the test prefix under an entry name of this test's own.
#include "ui/info_menu.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/built_program_languages.h"
#include "common/test_files.h"
#include "lang/language_archive.h"
#include "res/resource.h"
#include "ui/owner_drawn_menus.h"

namespace {

// The entry under HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER, removed again at the end.
class UninstallEntry {
public:
    UninstallEntry(HKEY root, const std::wstring& name) : m_root(root), m_key(UninstallKeyPath(name)) {}
    ~UninstallEntry() {
        RegDeleteTreeW(m_root, m_key.c_str());
        RegDeleteKeyW(m_root, m_key.c_str());
    }
    UninstallEntry(const UninstallEntry&) = delete;
    UninstallEntry& operator=(const UninstallEntry&) = delete;

    bool Write(DWORD type, const void* data, DWORD bytes) const {
        return RegSetKeyValueW(m_root, m_key.c_str(), L"UninstallString", type, data, bytes) == ERROR_SUCCESS;
    }
    bool WriteText(const std::wstring& text) const {
        return Write(REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

private:
    HKEY m_root;
    std::wstring m_key;
};

std::wstring TestEntryName() { return L"OrbelinInfoMenuTest_" + std::to_wstring(GetCurrentProcessId()); }

// One line per item: "id text", "-" for a separator, "id text >" for a submenu whose items
// follow indented.
std::vector<std::wstring> MenuShape(HMENU menu, const std::wstring& indent = L"") {
    std::vector<std::wstring> lines;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = L"";
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_ID | MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 256;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
        if ((item.fType & MFT_SEPARATOR) != 0) {
            lines.push_back(indent + L"-");
            continue;
        }
        std::wstring line = indent + std::to_wstring(item.wID) + L" " + text;
        if (item.hSubMenu != nullptr) {
            lines.push_back(line + L" >");
            for (const std::wstring& sub : MenuShape(item.hSubMenu, indent + L"  ")) lines.push_back(sub);
        } else {
            lines.push_back(line);
        }
    }
    return lines;
}

class InfoMenuTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(LoadBuiltProgramArchive()) << "the archive of the program named by ORBELIN_EXE";
    }
    void SetUp() override { SetCurrentLanguageIndex(kLanguageEnglish); }

    const std::wstring m_name = TestEntryName();
    const std::wstring m_program = L"C:\\Program Files\\Orbelin\\Orbelin.exe";
    UninstallEntry m_allUsers{HKEY_LOCAL_MACHINE, m_name};
    UninstallEntry m_perUser{HKEY_CURRENT_USER, m_name};
};

TEST_F(InfoMenuTest, ShapeFollowsTheInstallation) {
    const std::vector<std::wstring> head = {L"1054 Info", L"-", L"1056 Recommend Orbelin ",
                                            L"1057 Send Orbelin via e-mail", L"-"};
    const std::vector<std::wstring> openings = {L"32804 Orbelin >", L"  32804 Orbelin.exe/..",
                                                L"  32805 Orbelin.ini/..", L"  32806 Orbelin.ini", L"-"};
    const std::vector<std::wstring> tail = {L"1053 FAQ\t(# ?)",
                                            L"1058 Homepage",
                                            L"1059 History",
                                            L"32801 Check for updates",
                                            L"7778 License",
                                            L"-",
                                            L"32814 Restart the Program",
                                            L"-",
                                            L"1055 Exit"};
    const auto join = [](std::initializer_list<std::vector<std::wstring>> parts) {
        std::vector<std::wstring> all;
        for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
        return all;
    };
    const std::wstring sameCaseChanged = L"c:\\program files\\ORBELIN\\orbelin.EXE -?uninstall";

    const struct {
        const char* name;
        const wchar_t* allUsersValue;  // null: no value
        const wchar_t* perUserValue;
        InstallKind kind;
        std::vector<std::wstring> shape;
    } rows[] = {
        {"not installed", nullptr, nullptr, InstallKind::kNotInstalled,
         join({head, openings, {L"32815 Uninstall", L"-"}, tail})},
        {"per user", nullptr, L"C:\\Program Files\\Orbelin\\Orbelin.exe -?uninstall", InstallKind::kPerUser,
         join({head, {L"32802 Uninstall (Orbelin)", L"-"}, openings, tail})},
        {"all users", L"C:\\Program Files\\Orbelin\\Orbelin.exe -?uninstall", nullptr, InstallKind::kAllUsers,
         join({head, {L"32803 Uninstall (Orbelin)", L"-"}, openings, tail})},
        {"all users first", L"C:\\Program Files\\Orbelin\\Orbelin.exe -?uninstall",
         L"C:\\Program Files\\Orbelin\\Orbelin.exe -?uninstall", InstallKind::kAllUsers,
         join({head, {L"32803 Uninstall (Orbelin)", L"-"}, openings, tail})},
        {"letter case differs", nullptr, sameCaseChanged.c_str(), InstallKind::kPerUser,
         join({head, {L"32802 Uninstall (Orbelin)", L"-"}, openings, tail})},
        {"another copy's entry", L"D:\\Orbelin\\Orbelin.exe -?uninstall", L"C:\\Orbelin.exe -?uninstall",
         InstallKind::kNotInstalled, join({head, openings, {L"32815 Uninstall", L"-"}, tail})},
        {"a non-matching entry for all users, a matching one for the user", L"D:\\Orbelin\\Orbelin.exe -?uninstall",
         L"C:\\Program Files\\Orbelin\\Orbelin.exe -?uninstall", InstallKind::kPerUser,
         join({head, {L"32802 Uninstall (Orbelin)", L"-"}, openings, tail})},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        UninstallEntry allUsers(HKEY_LOCAL_MACHINE, m_name);
        UninstallEntry perUser(HKEY_CURRENT_USER, m_name);
        if (row.allUsersValue != nullptr) {
            ASSERT_TRUE(allUsers.WriteText(row.allUsersValue));
        }
        if (row.perUserValue != nullptr) {
            ASSERT_TRUE(perUser.WriteText(row.perUserValue));
        }

        const Installation installation = DetectInstallation(m_program, m_name);
        EXPECT_EQ(installation.kind, row.kind);
        EXPECT_EQ(installation.uninstallString.empty(), row.kind == InstallKind::kNotInstalled);

        HMENU bar = BuildInfoMenu(installation);
        ASSERT_NE(bar, nullptr);
        ASSERT_EQ(GetMenuItemCount(bar), 1) << "the bar has one item, the Info popup";
        wchar_t title[64] = L"";
        GetMenuStringW(bar, 0, title, 64, MF_BYPOSITION);
        EXPECT_STREQ(title, L"Info");
        const std::vector<std::wstring> shape = MenuShape(GetSubMenu(bar, 0));
        EXPECT_EQ(shape.size(), row.shape.size());
        for (size_t i = 0; i < std::min(shape.size(), row.shape.size()); ++i) {
            EXPECT_EQ(shape[i], row.shape[i]) << "line " << i << ": " << shape[i];
        }
        DestroyMenu(bar);
    }
}

TEST_F(InfoMenuTest, MalformedEntriesCountAsNotInstalled) {
    const std::wstring matching = m_program + L" -?uninstall";
    // Written without its closing null. The registry adds one when the caller's buffer has it
    // right behind the counted bytes (Windows does so too), so this one has none there.
    const std::wstring unterminated = matching + L"X";
    const std::wstring longValue(10000, L'x');
    const std::vector<uint8_t> binary(matching.size() * 2, 0x41);
    std::wstring embeddedNull = matching;
    embeddedNull.push_back(L'\0');
    embeddedNull += L"rest";
    const struct {
        const char* name;
        DWORD type;
        const void* data;
        DWORD bytes;
    } rows[] = {
        {"binary", REG_BINARY, matching.c_str(), static_cast<DWORD>((matching.size() + 1) * 2)},
        {"binary garbage", REG_BINARY, binary.data(), static_cast<DWORD>(binary.size())},
        {"a number", REG_DWORD, "\x01\x00\x00\x00", 4},
        {"unterminated", REG_SZ, unterminated.c_str(), static_cast<DWORD>(matching.size() * 2)},
        {"odd byte count", REG_SZ, matching.c_str(), static_cast<DWORD>((matching.size() + 1) * 2 - 1)},
        {"empty", REG_SZ, L"", 0},
        {"10,000 characters", REG_SZ, longValue.c_str(), static_cast<DWORD>((longValue.size() + 1) * 2)},
        {"null inside", REG_SZ, embeddedNull.c_str(), static_cast<DWORD>((embeddedNull.size() + 1) * 2)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(m_perUser.Write(row.type, row.data, row.bytes));
        EXPECT_EQ(DetectInstallation(m_program, m_name).kind, InstallKind::kNotInstalled);
    }
    // The same text, written properly, does count.
    ASSERT_TRUE(m_perUser.WriteText(matching));
    EXPECT_EQ(ReadUninstallString(HKEY_CURRENT_USER, m_name), matching);
    EXPECT_EQ(DetectInstallation(m_program, m_name).kind, InstallKind::kPerUser);
}

TEST(InstallDetectionTest, PathMatchIgnoresOnlyTheCaseOfAToZ) {
    const struct {
        const wchar_t* value;
        const wchar_t* program;
        bool matches;
    } rows[] = {
        {L"C:\\A\\Orbelin.exe -?uninstall", L"C:\\A\\Orbelin.exe", true},
        {L"c:\\a\\ORBELIN.EXE -?uninstall", L"C:\\A\\Orbelin.exe", true},
        {L"C:\\A\\Orbelin.exe", L"C:\\A\\Orbelin.exe", true},
        {L"C:\\A\\Orbelin.exe -?uninstall -?uninstall", L"C:\\A\\Orbelin.exe", true},
        {L"C:\\\u00c4\\Orbelin.exe -?uninstall", L"C:\\\u00e4\\Orbelin.exe", false},  // beyond A-Z: exact
        {L"C:\\\u00c4\\Orbelin.exe -?uninstall", L"C:\\\u00c4\\Orbelin.exe", true},
        {L"C:\\A\\Orbelin.exe -?Uninstall", L"C:\\A\\Orbelin.exe", false},
        {L"C:\\A\\Orbelin.exe -?uninstall", L"C:\\B\\Orbelin.exe", false},
        // The installer writes the path in quotes, so that a path with blanks names one program.
        {L"\"C:\\A\\Orbelin.exe\" -?uninstall", L"C:\\A\\Orbelin.exe", true},
        {L"\"c:\\a b\\Orbelin.exe\" -?uninstall", L"C:\\A b\\Orbelin.exe", true},
        {L"\"C:\\A\\Orbelin.exe\" -?uninstall", L"C:\\B\\Orbelin.exe", false},
        {L"\"C:\\A\\Orbelin.exe -?uninstall", L"C:\\A\\Orbelin.exe", false},
        {L"\"\" -?uninstall", L"", false},
        {L"", L"", false},
        {L" -?uninstall", L"", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(UninstallStringNamesProgram(row.value, row.program), row.matches);
    }
    EXPECT_EQ(ProgramPathOfUninstallString(L"C:\\A b\\Orbelin.exe -?uninstall"), L"C:\\A b\\Orbelin.exe");
}

TEST_F(InfoMenuTest, ShellIconsAreAttachedAsTheSystemHasThem) {
    CWinCmdBar2 bar;
    const int registered = AttachInfoMenuIcons(bar);
    EXPECT_EQ(bar.IconCount(), registered);
    // Wine's shell library lacks some of these icons; each registered one belongs to its command.
    const struct {
        int command;
        int shellIcon;
    } icons[] = {{IDM_INFO, 1001},   {IDM_RESTART, 16739}, {IDC_EXIT, 28},
                 {IDM_HOMEPAGE, 14}, {IDC_DONATE, 14},     {IDM_CHECK_FOR_UPDATES, 14}};
    for (const auto& icon : icons) {
        SCOPED_TRACE(icon.command);
        HICON shellIcon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(L"shell32.dll"), MAKEINTRESOURCEW(icon.shellIcon), IMAGE_ICON, 16, 16, 0));
        EXPECT_EQ(bar.ImageOf(icon.command) >= 0, shellIcon != nullptr);
        if (shellIcon != nullptr) DestroyIcon(shellIcon);
    }
}

TEST_F(InfoMenuTest, CheckForUpdatesFollowsHistoryInEveryLanguage) {
    // Danish has no translation of the item yet and shows the English text.
    const struct {
        int language;
        const wchar_t* history;
        const wchar_t* label;
    } rows[] = {
        {kLanguageEnglish, L"History", L"Check for updates"},
        {kLanguageGerman, L"Versionsgeschichte", L"Nach Updates suchen"},
        {kLanguageFrench, nullptr, L"Rechercher des mises \u00e0 jour"},
        {kLanguageDanish, L"Versionshistorik", L"Check for updates"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.language);
        SetCurrentLanguageIndex(row.language);
        HMENU bar = BuildInfoMenu(Installation{});
        ASSERT_NE(bar, nullptr);
        HMENU info = GetSubMenu(bar, 0);
        int history = -1;
        for (int i = 0; i < GetMenuItemCount(info); ++i) {
            if (GetMenuItemID(info, i) == IDM_HISTORY) history = i;
        }
        ASSERT_GE(history, 0);
        EXPECT_EQ(GetMenuItemID(info, history + 1), static_cast<UINT>(IDM_CHECK_FOR_UPDATES));
        wchar_t text[128] = L"";
        GetMenuStringW(info, history + 1, text, 128, MF_BYPOSITION);
        EXPECT_STREQ(text, row.label);
        if (row.history != nullptr) {
            GetMenuStringW(info, history, text, 128, MF_BYPOSITION);
            EXPECT_STREQ(text, row.history);
        }
        DestroyMenu(bar);
    }
}

}  // namespace
