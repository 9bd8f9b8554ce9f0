#include "setup/uninstall_dialog.h"

#include "lang/language_archive.h"
#include "res/resource.h"
#include "setup/install_rules.h"
#include "setup/setup_dialog_parts.h"

UninstallDialog::~UninstallDialog() {
    if (m_dialog != nullptr && !m_modal) DestroyWindow(m_dialog);
    ReleaseDialogPictures(m_banner, m_icon);
}

int UninstallDialog::RunModal() {
    m_modal = true;
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_UNINSTALL), nullptr,
                                           DialogProc, reinterpret_cast<LPARAM>(this));
    m_dialog = nullptr;
    return result == IDOK ? IDOK : IDCANCEL;
}

HWND UninstallDialog::CreateModeless() {
    m_modal = false;
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_UNINSTALL), nullptr, DialogProc,
                              reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK UninstallDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<UninstallDialog*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        self->m_dialog = dialog;
        self->Initialize();
        return TRUE;
    }
    auto* self = reinterpret_cast<UninstallDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (self == nullptr) return FALSE;
    switch (message) {
        case WM_NCDESTROY:
            SetWindowLongPtrW(dialog, DWLP_USER, 0);
            self->m_dialog = nullptr;
            return FALSE;
        case WM_COMMAND:
            self->OnCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_CLOSE:
            self->End(IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

void UninstallDialog::Initialize() {
    ShowDialogPictures(m_dialog, m_banner, m_icon);
    FillLanguageList(m_dialog, IDC_SETUP_LANGUAGE);
    HWND folder = GetDlgItem(m_dialog, IDC_SETUP_FOLDER);
    SendMessageW(folder, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_setup.folder.c_str()));
    SendMessageW(folder, CB_SETCURSEL, 0, 0);
    EnableWindow(folder, FALSE);
    SetTexts();
}

void UninstallDialog::SetTexts() {
    SetWindowTextW(m_dialog, UninstallDialogTitle(m_setup.administrator, LangHeaderString(19)).c_str());
    SetDlgItemTextW(m_dialog, IDC_SETUP_LANGUAGE_LABEL, LangString(200).c_str());
    SetDlgItemTextW(m_dialog, IDC_SETUP_FOLDER_LABEL, LangString(208).c_str());
    SetDlgItemTextW(m_dialog, IDC_SETUP_UNINSTALL_GROUP, LangString(202).c_str());
    SetDlgItemTextW(m_dialog, IDOK, LangString(202).c_str());
    SetDlgItemTextW(m_dialog, IDCANCEL, LangString(209).c_str());
}

void UninstallDialog::End(int result) {
    m_result = result;
    m_ended = true;
    if (m_modal) {
        EndDialog(m_dialog, result);
    } else {
        ShowWindow(m_dialog, SW_HIDE);
    }
}

void UninstallDialog::OnCommand(int id, int code) {
    switch (id) {
        case IDC_SETUP_LANGUAGE:
            if (code == CBN_SELCHANGE) {
                const int language = SelectedLanguage(m_dialog, IDC_SETUP_LANGUAGE);
                if (language >= 0 && language != CurrentLanguageIndex()) {
                    SetCurrentLanguageIndex(language);
                    SetTexts();
                }
            }
            break;
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
