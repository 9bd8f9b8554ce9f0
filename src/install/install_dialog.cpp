#include "install/install_dialog.h"

#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "common/co_task_memory.h"
#include "common/module_path.h"
#include "install/admin_probe.h"
#include "install/setup_dialog_parts.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "res/resource.h"
#include "web/web_address.h"

namespace {

// The longest folder text the dialog takes.
constexpr int kFolderTextCapacity = 1024;

bool StartThisProgramElevated(const std::wstring& parameters) {
    const std::wstring program = ProgramFilePath();
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof(start);
    start.fMask = SEE_MASK_FLAG_NO_UI;
    start.lpVerb = L"runas";
    start.lpFile = program.c_str();
    start.lpParameters = parameters.c_str();
    start.nShow = SW_SHOWNORMAL;
    return !program.empty() && ShellExecuteExW(&start) != FALSE;
}

// The folder chooser gives itself a maximise box.
int CALLBACK FolderChooserCallback(HWND window, UINT message, LPARAM, LPARAM) {
    if (message == BFFM_INITIALIZED) {
        SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) | WS_MAXIMIZEBOX);
    }
    return 0;
}

}  // namespace

InstallDialogSetup SystemInstallDialogSetup(bool portable, std::optional<int> preselectedLanguage) {
    InstallDialogSetup setup;
    setup.administrator = ProcessIsAdministrator();
    setup.portable = portable;
    setup.preselectedLanguage = preselectedLanguage;
    // The existing installation that counts is the one of the kind the all-users box starts with.
    const bool forAllUsers = !portable && setup.administrator;
    setup.folders = SystemFolderListInput(setup.administrator, portable, forAllUsers);
    setup.startElevated = StartThisProgramElevated;
    setup.install = InstallProgram;
    setup.startInstalled = StartInstalledProgram;
    return setup;
}

InstallDialog::InstallDialog(InstallDialogSetup setup)
    : SetupDialogWindow(IDD_INSTALL), m_setup(std::move(setup)) {}

std::wstring InstallDialog::ElevationParameters(int language, bool forAllUsers) {
    return L" m_lang_id:" + std::to_wstring(language) + L" -?install" + (forAllUsers ? L" forall" : L"");
}

void InstallDialog::Initialize() {
    if (m_setup.preselectedLanguage) SetCurrentLanguageIndex(*m_setup.preselectedLanguage);
    FillLanguageList(m_dialog, IDC_SETUP_LANGUAGE);
    FillFolderList();
    SetTexts();

    Check(IDC_SETUP_DESKTOP_SHORTCUT, true);
    Check(IDC_SETUP_START_MENU, true);
    // Only a process that may install for all users starts with the box ticked.
    Check(IDC_SETUP_FOR_ALL_USERS, m_setup.administrator);
    Check(IDC_SETUP_AS_ADMIN, m_setup.administrator);
    Check(IDC_SETUP_PORTABLE, m_setup.portable);
    OnPortable();
}

void InstallDialog::SetTexts() {
    SetWindowTextW(m_dialog, InstallDialogTitle(m_setup.administrator, LangHeaderString(kHeaderProgramTitle)).c_str());
    const struct {
        int control;
        int text;
    } labels[] = {
        {IDC_SETUP_LANGUAGE_LABEL, kTextLanguage},
        {IDC_SETUP_FOLDER_LABEL, kTextFolder},
        {IDC_SETUP_CHOOSE_FOLDER, kTextChangeFolder},
        {IDC_SETUP_PORTABLE, kTextPortableInstallation},
        {IDC_SETUP_DESKTOP_SHORTCUT, kTextDesktopShortcut},
        {IDC_SETUP_START_WITH_WINDOWS, kTextSetupStartWithWindows},
        {IDC_SETUP_START_MENU, kTextStartMenuShortcut},
        {IDC_SETUP_FOR_ALL_USERS, kTextForAllUsers},
        {IDC_SETUP_AS_ADMIN, kTextInstallAsAdministrator},
        {IDC_SETUP_EULA, kTextEula},
        {IDC_SETUP_INSTALL_GROUP, kTextInstall},
        {IDOK, kTextInstall},
        {IDCANCEL, kTextCancel},
    };
    for (const auto& label : labels) SetDlgItemTextW(m_dialog, label.control, LangString(label.text).c_str());
}

void InstallDialog::FillFolderList() {
    const FolderList list = InstallFolderList(m_setup.folders);
    HWND combo = GetDlgItem(m_dialog, IDC_SETUP_FOLDER);
    SendMessageW(combo, CB_LIMITTEXT, kFolderTextCapacity, 0);
    for (const std::wstring& entry : list.entries) {
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    SetWindowTextW(combo, list.editText.c_str());
    if (!list.entries.empty()) SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(list.selected), 0);
}

bool InstallDialog::IsChecked(int id) const { return IsDlgButtonChecked(m_dialog, id) == BST_CHECKED; }

void InstallDialog::Check(int id, bool checked) { CheckDlgButton(m_dialog, id, checked ? BST_CHECKED : BST_UNCHECKED); }

void InstallDialog::OnCommand(int id, int code) {
    switch (id) {
        case IDC_SETUP_PORTABLE:
            if (code == BN_CLICKED) OnPortable();
            break;
        case IDC_SETUP_FOR_ALL_USERS:
        case IDC_SETUP_AS_ADMIN:
            if (code == BN_CLICKED) OnNeedsAdministrator(id);
            break;
        case IDC_SETUP_CHOOSE_FOLDER:
            if (code == BN_CLICKED) OnChooseFolder();
            break;
        case IDC_SETUP_EULA:
            if (code == BN_CLICKED) OnEula();
            break;
        case IDOK:
            if (code == BN_CLICKED) OnInstall();
            break;
        case IDCANCEL:
            End(IDCANCEL);
            break;
        default:
            break;
    }
}

void InstallDialog::OnPortable() {
    // A portable installation is never one for all users.
    if (IsChecked(IDC_SETUP_PORTABLE)) Check(IDC_SETUP_FOR_ALL_USERS, false);
    EnableWindow(GetDlgItem(m_dialog, IDC_SETUP_FOR_ALL_USERS), !IsChecked(IDC_SETUP_PORTABLE));
}

void InstallDialog::OnNeedsAdministrator(int boxId) {
    // Clearing a box needs no rights; ticking one without them starts an elevated installer in
    // this one's place.
    if (m_setup.administrator || !IsChecked(boxId)) return;
    int language = SelectedLanguage(m_dialog, IDC_SETUP_LANGUAGE);
    if (language < 0) language = CurrentLanguageIndex();
    const std::wstring parameters = ElevationParameters(language, IsChecked(IDC_SETUP_FOR_ALL_USERS));
    if (m_setup.startElevated && m_setup.startElevated(parameters)) {
        End(IDCANCEL);
        return;
    }
    Check(boxId, false);
}

void InstallDialog::OnChooseFolder() {
    BROWSEINFOW browse{};
    browse.hwndOwner = m_dialog;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    browse.lpfn = FolderChooserCallback;
    const UniqueItemIdList chosen(SHBrowseForFolderW(&browse));
    if (!chosen) return;
    std::vector<wchar_t> path(32768, L'\0');
    if (!SHGetPathFromIDListEx(chosen.Get(), path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT) ||
        path[0] == L'\0') {
        return;
    }
    const std::wstring entry = ChosenFolderEntry(path.data());
    HWND combo = GetDlgItem(m_dialog, IDC_SETUP_FOLDER);
    SendMessageW(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

void InstallDialog::OnEula() {
    const bool german = GermanInterface();
    const std::wstring address = LangHeaderString(german ? kHeaderGermanSite : kHeaderInternationalSite) +
                                 L"/?seite=Freeware/" + L"Orbelin" + (german ? L"/Lizenz" : L"/Eula");
    OpenWebAddress(address);
}

void InstallDialog::OnInstall() {
    InstallChoices choices;
    std::vector<wchar_t> folder(kFolderTextCapacity + 1, L'\0');
    GetDlgItemTextW(m_dialog, IDC_SETUP_FOLDER, folder.data(), kFolderTextCapacity + 1);
    choices.folderText = folder.data();
    const int language = SelectedLanguage(m_dialog, IDC_SETUP_LANGUAGE);
    choices.language = language >= 0 ? language : CurrentLanguageIndex();
    choices.portable = IsChecked(IDC_SETUP_PORTABLE);
    choices.desktopShortcut = IsChecked(IDC_SETUP_DESKTOP_SHORTCUT);
    choices.startWithWindows = IsChecked(IDC_SETUP_START_WITH_WINDOWS);
    choices.startMenuShortcut = IsChecked(IDC_SETUP_START_MENU);
    choices.forAllUsers = IsChecked(IDC_SETUP_FOR_ALL_USERS) && !choices.portable;
    if (!m_setup.install) return;

    const InstallResult result = m_setup.install(m_dialog, choices);
    if (!result.folder.empty()) SetDlgItemTextW(m_dialog, IDC_SETUP_FOLDER, result.folder.c_str());
    if (!result.installed) return;
    if (m_setup.startInstalled) m_setup.startInstalled(result.programPath);
    End(IDOK);
}
