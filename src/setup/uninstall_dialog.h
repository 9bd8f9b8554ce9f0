#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "imaging/dum_bitmap.h"

// The uninstall dialog (194): the language, the installation folder (shown, not editable),
// "Uninstall" and "Cancel".

struct UninstallDialogSetup {
    bool administrator = false;
    std::wstring folder;  // the installation folder
    // Removes the installation; false when it was stopped (the dialog stays open).
    std::function<bool(HWND owner, const std::wstring& folder)> remove;
    // Opens the uninstall page once the installation is gone.
    std::function<void()> openUninstallPage;
};

class UninstallDialog {
public:
    explicit UninstallDialog(UninstallDialogSetup setup) : m_setup(std::move(setup)) {}
    ~UninstallDialog();
    UninstallDialog(const UninstallDialog&) = delete;
    UninstallDialog& operator=(const UninstallDialog&) = delete;

    // Shows the dialog modally until it ends; returns IDOK after the removal, else IDCANCEL.
    int RunModal();

    // The same dialog for a caller that runs the messages (tests).
    HWND CreateModeless();
    HWND Window() const { return m_dialog; }
    bool Ended() const { return m_ended; }
    int Result() const { return m_result; }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void Initialize();
    void SetTexts();
    void OnCommand(int id, int code);
    void End(int result);

    UninstallDialogSetup m_setup;
    HWND m_dialog = nullptr;
    bool m_modal = false;
    bool m_ended = false;
    int m_result = IDCANCEL;
    CDumBitmap m_banner;
    HICON m_icon = nullptr;
};
