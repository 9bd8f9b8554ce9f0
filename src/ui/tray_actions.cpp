#include "ui/tray_actions.h"

#include "common/process_flags.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "res/resource.h"
#include "ui/settings_dialog.h"

namespace {

void ShowTrayMenu(SettingsDialog& dialog) {
    HMENU menu = CreateTrayMenu();
    if (menu == nullptr) return;

    POINT cursor{};
    GetCursorPos(&cursor);
    HWND owner = dialog.Window();
    SetActiveWindow(owner);
    // Without the foreground the menu would stay open when the user clicks elsewhere.
    SetForegroundWindow(owner);
    const int command = static_cast<int>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTALIGN, cursor.x, cursor.y, 0, owner, nullptr));
    PostMessageW(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);

    switch (command) {
        case IDM_TRAY_SHOW:
            dialog.ShowInFront();
            SetActiveWindow(dialog.Window());
            return;
        case IDM_TRAY_DISABLE:
            dialog.SetDisabled(!g_displaysDisabled);
            return;
        case IDM_TRAY_EXIT:
            dialog.Exit(1, false);
            return;
        default:
            return;
    }
}

}  // namespace

HMENU CreateTrayMenu() {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return nullptr;
    const std::wstring exitText = LangString(kTextTrayExit);
    const std::wstring disableText = LangString(kTextDisable);
    const std::wstring programTitle = LangHeaderString(kHeaderProgramTitle);
    AppendMenuW(menu, MF_STRING, IDM_TRAY_EXIT, exitText.c_str());
    AppendMenuW(menu, MF_STRING | (g_displaysDisabled ? MF_CHECKED : MF_UNCHECKED), IDM_TRAY_DISABLE,
                disableText.c_str());
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, IDM_TRAY_SHOW, programTitle.c_str());
    return menu;
}

void OnTrayIconNotification(LPARAM mouseMessage) {
    SettingsDialog& dialog = TheSettingsDialog();
    if (dialog.Window() == nullptr) return;
    if (mouseMessage == WM_LBUTTONDOWN) {
        // A minimised dialog counts as out of sight: the click brings it back.
        if (dialog.IsShown() && !dialog.IsMinimized()) {
            dialog.Hide();
        } else {
            dialog.ShowInFront();
        }
    } else if (mouseMessage == WM_RBUTTONDOWN) {
        ShowTrayMenu(dialog);
    }
}
