#include "install/setup_dialog_parts.h"

#include <optional>
#include <string>

#include "common/system_library.h"
#include "imaging/header_banner.h"
#include "install/install_rules.h"
#include "lang/language_archive.h"
#include "res/resource.h"

void FillLanguageList(HWND dialog, int listId) {
    HWND list = GetDlgItem(dialog, listId);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    const LanguageArchive* archive = LoadedLanguageArchive();
    if (archive == nullptr) return;
    for (int section = 0; section < archive->SectionCount(); ++section) {
        const wchar_t* nameLine = archive->NameLine(section);
        const std::optional<std::wstring> entry = LanguageListEntry(nameLine != nullptr ? nameLine : L"");
        if (!entry) continue;
        const LRESULT item = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry->c_str()));
        if (item < 0) continue;
        SendMessageW(list, CB_SETITEMDATA, static_cast<WPARAM>(item), static_cast<LPARAM>(section));
        if (section == CurrentLanguageIndex()) SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    }
}

int SelectedLanguage(HWND dialog, int listId) {
    const LRESULT item = SendDlgItemMessageW(dialog, listId, CB_GETCURSEL, 0, 0);
    if (item < 0) return -1;
    return static_cast<int>(SendDlgItemMessageW(dialog, listId, CB_GETITEMDATA, static_cast<WPARAM>(item), 0));
}

SetupDialogWindow::~SetupDialogWindow() {
    if (m_dialog != nullptr) {
        // The derived dialog is gone already: the window hears nothing more while it goes.
        SetWindowLongPtrW(m_dialog, DWLP_USER, 0);
        if (!m_modal) DestroyWindow(m_dialog);
    }
}

int SetupDialogWindow::RunModal() {
    m_modal = true;
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), nullptr,
                                           DialogThunk<SetupDialogWindow>, reinterpret_cast<LPARAM>(this));
    m_dialog = nullptr;
    return result == IDOK ? IDOK : IDCANCEL;
}

HWND SetupDialogWindow::CreateModeless() {
    m_modal = false;
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), nullptr,
                              DialogThunk<SetupDialogWindow>, reinterpret_cast<LPARAM>(this));
}

void SetupDialogWindow::End(int result) {
    m_result = result;
    m_ended = true;
    if (m_modal) {
        EndDialog(m_dialog, result);
    } else {
        ShowWindow(m_dialog, SW_HIDE);
    }
}

INT_PTR SetupDialogWindow::DialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            m_dialog = dialog;
            ShowPictures();
            Initialize();
            return TRUE;
        case WM_NCDESTROY:
            m_dialog = nullptr;
            return FALSE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_SETUP_LANGUAGE) {
                if (HIWORD(wParam) == CBN_SELCHANGE) OnLanguageChosen();
            } else {
                OnCommand(LOWORD(wParam), HIWORD(wParam));
            }
            return TRUE;
        case WM_CLOSE:
            End(IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

void SetupDialogWindow::ShowPictures() {
    // The banner's place in both templates.
    ShowHeaderBanner(m_dialog, IDC_SETUP_BANNER, RECT{0, 0, 300, 45}, m_banner);
    HMODULE shell = GetModuleHandleW(L"shell32.dll");
    if (shell == nullptr) shell = LoadSystemLibrary(L"shell32.dll");
    // Wine's shell library lacks some icons: the place then stays empty.
    if (shell != nullptr)
        m_icon.Reset(static_cast<HICON>(LoadImageW(shell, MAKEINTRESOURCEW(16747), IMAGE_ICON, 32, 32, 0)));
    if (m_icon) SendDlgItemMessageW(m_dialog, IDC_SETUP_ICON, STM_SETICON, reinterpret_cast<WPARAM>(m_icon.Get()), 0);
}

void SetupDialogWindow::OnLanguageChosen() {
    const int language = SelectedLanguage(m_dialog, IDC_SETUP_LANGUAGE);
    if (language < 0 || language == CurrentLanguageIndex()) return;
    SetCurrentLanguageIndex(language);
    SetTexts();
}
