#include "ui/info_menu.h"

#include "common/gdi_objects.h"
#include "common/module_path.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "res/resource.h"
#include "settings/settings_location.h"
#include "ui/info_command_texts.h"
#include "ui/owner_drawn_menus.h"
#include "ui/shell_icon.h"

namespace {

Installation g_rememberedInstallation;

void AppendItem(HMENU menu, UINT id, const std::wstring& text) { AppendMenuW(menu, MF_STRING, id, text.c_str()); }

void AppendSeparator(HMENU menu) { AppendMenuW(menu, MF_SEPARATOR, 0, nullptr); }

// A popup item that also carries a command id, so that its icon can be found by that id.
void AppendPopup(HMENU menu, HMENU popup, UINT id, const std::wstring& text) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_FTYPE;
    item.fType = MFT_STRING;
    item.wID = id;
    item.hSubMenu = popup;
    item.dwTypeData = const_cast<wchar_t*>(text.c_str());
    InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &item);
}

}  // namespace

Installation DetectInstallation(const std::wstring& programPath, const std::wstring& entryName) {
    const std::wstring allUsers = ReadUninstallString(HKEY_LOCAL_MACHINE, entryName);
    if (UninstallStringNamesProgram(allUsers, programPath)) return {InstallKind::kAllUsers, allUsers};
    const std::wstring perUser = ReadUninstallString(HKEY_CURRENT_USER, entryName);
    if (UninstallStringNamesProgram(perUser, programPath)) return {InstallKind::kPerUser, perUser};
    return {};
}

HMENU BuildInfoMenu(const Installation& installation) {
    const std::wstring program = kProgramName;
    HMENU info = CreatePopupMenu();
    HMENU openings = CreatePopupMenu();
    HMENU bar = CreatePopupMenu();
    if (info == nullptr || openings == nullptr || bar == nullptr) {
        if (info != nullptr) DestroyMenu(info);
        if (openings != nullptr) DestroyMenu(openings);
        if (bar != nullptr) DestroyMenu(bar);
        return nullptr;
    }

    AppendItem(info, IDM_INFO, LangString(kTextInfo));
    AppendSeparator(info);
    AppendItem(info, IDM_RECOMMEND, ReplaceEvery(LangString(kTextRecommend), L"#AP#", program));
    AppendItem(info, IDM_SEND_PROGRAM, ReplaceEvery(LangString(kTextSendProgram), L"#AP#", program));
    AppendSeparator(info);

    const std::wstring uninstall = LangString(kTextUninstall);
    if (installation.kind != InstallKind::kNotInstalled) {
        const UINT id = installation.kind == InstallKind::kAllUsers ? IDM_UNINSTALL_ALL_USERS : IDM_UNINSTALL_USER;
        AppendItem(info, id, uninstall + L" (" + program + L")");
        AppendSeparator(info);
    }

    AppendItem(openings, IDM_OPEN_PROGRAM_FOLDER, program + L".exe/..");
    AppendItem(openings, IDM_OPEN_SETTINGS_FOLDER, program + L".ini/..");
    AppendItem(openings, IDM_OPEN_SETTINGS_FILE, program + L".ini");
    AppendPopup(info, openings, IDM_OPEN_PROGRAM_FOLDER, program);
    AppendSeparator(info);

    if (installation.kind == InstallKind::kNotInstalled) {
        AppendItem(info, IDM_REMOVE_PORTABLE, uninstall);
        AppendSeparator(info);
    }

    AppendItem(info, IDC_FAQ, LangString(kTextFaq) + L"\t(# ?)");
    AppendItem(info, IDM_HOMEPAGE, LangString(kTextHomepage));
    AppendItem(info, IDM_HISTORY, LangString(kTextHistory));
    AppendItem(info, IDM_CHECK_FOR_UPDATES, LangString(kTextCheckForUpdates));
    AppendItem(info, IDM_LICENSE, LangString(kTextLicense));
    AppendSeparator(info);
    AppendItem(info, IDM_RESTART, LangString(kTextRestart));
    AppendSeparator(info);
    AppendItem(info, IDC_EXIT, LangString(kTextExit));

    const std::wstring infoTitle = LangString(kTextInfo);
    AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(info), infoTitle.c_str());
    return bar;
}

int AttachInfoMenuIcons(CWinCmdBar2& bar) {
    static const struct {
        int command;
        int shellIcon;
    } icons[] = {
        {IDM_INFO, 1001},
        {IDM_RECOMMEND, 265},
        {IDM_SEND_PROGRAM, 265},
        {IDM_UNINSTALL_ALL_USERS, 192},
        {IDM_UNINSTALL_USER, 192},
        {IDM_OPEN_PROGRAM_FOLDER, 4},
        {IDM_OPEN_SETTINGS_FOLDER, 4},
        {IDM_OPEN_SETTINGS_FILE, 151},
        {IDM_REMOVE_PORTABLE, 192},
        {IDC_FAQ, 14},
        {IDM_HOMEPAGE, 14},
        {IDM_HISTORY, 14},
        {IDM_CHECK_FOR_UPDATES, 14},
        {IDM_LICENSE, 14},
        {IDC_DONATE, 14},
        {IDM_RESTART, 16739},
        {IDC_EXIT, 28},
    };
    int registered = 0;
    for (const auto& icon : icons) {
        // The bar keeps a copy in its image list.
        const UniqueIcon shellIcon(LoadShellIcon(icon.shellIcon));
        if (shellIcon && bar.RegisterIcon(shellIcon.Get(), icon.command) != 0) ++registered;
    }
    return registered;
}

CWinCmdBar2& TheCommandBar() {
    static CWinCmdBar2 bar;
    return bar;
}

void AttachInfoMenuBar(HWND settingsDialog) {
    if (TheCommandBar().Owner() == nullptr) TheCommandBar().Attach(settingsDialog);
}

void GiveInfoMenuToBar() {
    static bool iconsAttached = false;
    if (!iconsAttached) {
        AttachInfoMenuIcons(TheCommandBar());
        iconsAttached = true;
    }
    g_rememberedInstallation = DetectInstallation(ProgramFilePath(), kProgramName);
    HMENU menu = BuildInfoMenu(g_rememberedInstallation);
    if (menu != nullptr) TheCommandBar().SetMenu(menu);
}

const Installation& RememberedInstallation() { return g_rememberedInstallation; }
