// The tray menu's texts follow the language in use each time the menu is made.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/built_program_languages.h"
#include "common/process_flags.h"
#include "common/test_files.h"
#include "lang/language_archive.h"
#include "res/resource.h"
#include "ui/tray_actions.h"

namespace {

std::wstring ItemText(HMENU menu, UINT command) {
    wchar_t text[256] = L"<junk>";
    const int length = GetMenuStringW(menu, command, text, 256, MF_BYCOMMAND);
    return std::wstring(text, length > 0 ? length : 0);
}

std::wstring ArchiveText(int language, int id) {
    const wchar_t* text = LoadedLanguageArchive()->Lookup(language, id);
    return text != nullptr ? text : L"<null>";
}

TEST(TrayMenu, ShowsTheTextsOfTheCurrentLanguage) {
    ASSERT_TRUE(LoadBuiltProgramArchive()) << "the archive of the program named by ORBELIN_EXE";
    const int savedLanguage = CurrentLanguageIndex();
    for (int language :
         {static_cast<int>(kLanguageEnglish), static_cast<int>(kLanguageFrench), static_cast<int>(kLanguageGerman)}) {
        SCOPED_TRACE(language);
        SetCurrentLanguageIndex(language);
        HMENU menu = CreateTrayMenu();
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(GetMenuItemCount(menu), 4);
        EXPECT_EQ(ItemText(menu, IDM_TRAY_EXIT), ArchiveText(language, 54));
        EXPECT_EQ(ItemText(menu, IDM_TRAY_DISABLE), ArchiveText(language, 53));
        EXPECT_EQ(ItemText(menu, IDM_TRAY_SHOW), std::wstring(LangHeaderText(19)));
        EXPECT_EQ(GetMenuState(menu, IDM_TRAY_DISABLE, MF_BYCOMMAND) & MF_CHECKED, 0u);
        DestroyMenu(menu);
    }
    g_displaysDisabled = true;
    HMENU menu = CreateTrayMenu();
    g_displaysDisabled = false;
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuState(menu, IDM_TRAY_DISABLE, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    DestroyMenu(menu);
    EXPECT_NE(ArchiveText(kLanguageFrench, 54), ArchiveText(kLanguageEnglish, 54));
    SetCurrentLanguageIndex(savedLanguage);
}

}  // namespace
