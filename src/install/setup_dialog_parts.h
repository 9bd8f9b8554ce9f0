#pragma once

#include <windows.h>

#include "common/dialog_thunk.h"
#include "common/gdi_objects.h"

// What the installation and the uninstall dialog share: the language list, the banner and the
// icon at the top.

// Fills the language list `listId` with every language of the archive whose name line is
// longer than 5 characters (its tab shown as " <===> "), each item carrying its section, and
// selects the current language.
void FillLanguageList(HWND dialog, int listId);

// The section of the selected language, or -1 when nothing is selected.
int SelectedLanguage(HWND dialog, int listId);

// The window of the installation or the uninstall dialog, made from its template: shown modally,
// or without a modal loop of its own for a caller that runs the messages (tests), ending the same
// way in both. It shows the banner and the shell's icon 16747 at 32 x 32 at the top and releases
// them when it goes. Closing the window is Cancel.
class SetupDialogWindow {
public:
    SetupDialogWindow(const SetupDialogWindow&) = delete;
    SetupDialogWindow& operator=(const SetupDialogWindow&) = delete;

    // Shows the dialog modally until it ends; returns IDOK or IDCANCEL.
    int RunModal();
    // The same dialog for a caller that runs the messages; it ends as the modal one would (Ended).
    HWND CreateModeless();
    HWND Window() const { return m_dialog; }
    bool Ended() const { return m_ended; }
    int Result() const { return m_result; }

protected:
    explicit SetupDialogWindow(int templateId) : m_templateId(templateId) {}
    virtual ~SetupDialogWindow();

    // Fills the controls once the window exists (the pictures are already shown).
    virtual void Initialize() = 0;
    // Sets every text of the dialog in the current language; again when the user picks another
    // one in the language list.
    virtual void SetTexts() = 0;
    // Every command but the language list's.
    virtual void OnCommand(int id, int code) = 0;
    // Ends the dialog with `result`: the modal one closes, the other one hides.
    void End(int result);

    HWND m_dialog = nullptr;

private:
    template <typename Object>
    friend INT_PTR CALLBACK DialogThunk(HWND, UINT, WPARAM, LPARAM);
    INT_PTR DialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void ShowPictures();
    void OnLanguageChosen();

    int m_templateId;
    bool m_modal = false;
    bool m_ended = false;
    int m_result = IDCANCEL;
    UniqueBitmap m_banner;
    UniqueIcon m_icon;
};
