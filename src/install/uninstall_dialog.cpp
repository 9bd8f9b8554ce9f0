#include "install/uninstall_dialog.h"

#include "install/install_rules.h"
#include "install/setup_dialog_parts.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "res/resource.h"

UninstallDialog::UninstallDialog(UninstallDialogSetup setup)
    : SetupDialogWindow(IDD_UNINSTALL), m_setup(std::move(setup)) {}

void UninstallDialog::Initialize() {
    FillLanguageList(m_dialog, IDC_SETUP_LANGUAGE);
    HWND folder = GetDlgItem(m_dialog, IDC_SETUP_FOLDER);
    SendMessageW(folder, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_setup.folder.c_str()));
    SendMessageW(folder, CB_SETCURSEL, 0, 0);
    EnableWindow(folder, FALSE);
    SetTexts();
}

void UninstallDialog::SetTexts() {
    SetWindowTextW(m_dialog,
                   UninstallDialogTitle(m_setup.administrator, LangHeaderString(kHeaderProgramTitle)).c_str());
    SetDlgItemTextW(m_dialog, IDC_SETUP_LANGUAGE_LABEL, LangString(kTextLanguage).c_str());
    SetDlgItemTextW(m_dialog, IDC_SETUP_FOLDER_LABEL, LangString(kTextFolder).c_str());
    SetDlgItemTextW(m_dialog, IDC_SETUP_UNINSTALL_GROUP, LangString(kTextUninstall).c_str());
    SetDlgItemTextW(m_dialog, IDOK, LangString(kTextUninstall).c_str());
    SetDlgItemTextW(m_dialog, IDCANCEL, LangString(kTextCancel).c_str());
}

void UninstallDialog::OnCommand(int id, int code) {
    switch (id) {
        case IDOK:
            if (code != BN_CLICKED) break;
            if (m_setup.remove && !m_setup.remove(m_dialog, m_setup.folder)) break;
            if (m_setup.openUninstallPage) m_setup.openUninstallPage();
            End(IDOK);
            break;
        case IDCANCEL:
            End(IDCANCEL);
            break;
        default:
            break;
    }
}
