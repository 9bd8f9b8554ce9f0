#include "lang/language_menu.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "common/file_attributes.h"
#include "lang/language_archive.h"
#include "lang/language_choice.h"
#include "lang/translation_file.h"
#include "res/resource.h"
#include "settings/app_config.h"

bool LanguageMenuNumbered() { return PathExists(L"AtlMiscX"); }

HMENU CreateLanguageMenu(const LanguageArchive& archive, int currentLanguage, bool numbered) {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return nullptr;
    const std::vector<LanguageMenuItem> items = LanguageMenuItems(archive, currentLanguage, numbered);
    for (const LanguageMenuItem& item : items) {
        AppendMenuW(menu, MF_STRING | (item.current ? MF_GRAYED | MF_DISABLED : MF_ENABLED),
                    static_cast<UINT_PTR>(item.command), item.text.c_str());
    }
    const int columnBreak = LanguageMenuColumnBreak(archive);
    if (columnBreak >= 0) {
        // An empty item without command opens the second column.
        const UINT position = static_cast<UINT>(std::min(columnBreak, static_cast<int>(items.size())));
        InsertMenuW(menu, position, MF_BYPOSITION | MF_STRING | MF_MENUBREAK | MF_MENUBARBREAK | MF_RIGHTJUSTIFY, 0,
                    L"");
    }
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kTranslateCommand, L"Translate");
    AppendMenuW(menu, MF_STRING, kLoadTranslationCommand, L"Load from File (Unicode)");
    return menu;
}

bool RunLanguageMenuCommand(int command) {
    if (command == 0) return false;
    bool rebuildTexts = false;
    const int language = LanguageOfCommand(command);
    if (language >= 0) {
        DeactivateTranslation();
        SetCurrentLanguageIndex(language);
        rebuildTexts = true;
    } else if (command == kTranslateCommand) {
        ExportTranslationTemplate();
    } else if (command == kLoadTranslationCommand) {
        ChooseTranslationFile();
        rebuildTexts = true;
    }
    // Written whatever the file or the setting item holds now, so that no choice is lost.
    GlobalAppConfig().language.Write(CurrentLanguageIndex());
    return rebuildTexts;
}

bool ShowLanguageMenu(HWND dialog, HWND toolbar) {
    const LanguageArchive* archive = LoadedLanguageArchive();
    if (archive == nullptr) return false;
    // While a translation file shows the texts, no archive language is in use: each one, the
    // language chosen last included, is offered as the way back to the archive's texts.
    const int languageInUse = ActiveTranslation() != nullptr ? -1 : CurrentLanguageIndex();
    HMENU menu = CreateLanguageMenu(*archive, languageInUse, LanguageMenuNumbered());
    if (menu == nullptr) return false;

    POINT corner{};
    RECT button{};
    const LRESULT index = toolbar != nullptr ? SendMessageW(toolbar, TB_COMMANDTOINDEX, IDC_LANGUAGE, 0) : -1;
    if (index >= 0 &&
        SendMessageW(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button))) {
        corner = {button.left, button.bottom};
        ClientToScreen(toolbar, &corner);
    } else {
        GetCursorPos(&corner);
    }
    if (toolbar != nullptr) SendMessageW(toolbar, TB_PRESSBUTTON, IDC_LANGUAGE, MAKELPARAM(TRUE, 0));
    const int command = static_cast<int>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, corner.x, corner.y, 0, dialog, nullptr));
    if (toolbar != nullptr) SendMessageW(toolbar, TB_PRESSBUTTON, IDC_LANGUAGE, MAKELPARAM(FALSE, 0));
    DestroyMenu(menu);
    return RunLanguageMenuCommand(command);
}
