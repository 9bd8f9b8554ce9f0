#include "setup/setup_dialog_parts.h"

#include <optional>
#include <string>

#include "imaging/header_banner.h"
#include "lang/language_archive.h"
#include "res/resource.h"
#include "setup/install_rules.h"

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

void ShowDialogPictures(HWND dialog, CDumBitmap& banner, HICON& icon) {
    // The banner's place in both templates.
    ShowHeaderBanner(dialog, IDC_SETUP_BANNER, RECT{0, 0, 300, 45}, banner);
    HMODULE shell = GetModuleHandleW(L"shell32.dll");
    if (shell == nullptr) shell = LoadLibraryW(L"shell32.dll");
    // Wine's shell library lacks some icons: the place then stays empty.
    icon = shell != nullptr ? static_cast<HICON>(LoadImageW(shell, MAKEINTRESOURCEW(16747), IMAGE_ICON, 32, 32, 0))
                            : nullptr;
    if (icon != nullptr) SendDlgItemMessageW(dialog, IDC_SETUP_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

void ReleaseDialogPictures(CDumBitmap& banner, HICON& icon) {
    if (banner.Handle() != nullptr) DeleteObject(banner.Detach());
    if (icon != nullptr) DestroyIcon(icon);
    icon = nullptr;
}
