#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "install/setup_dialog_parts.h"

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

class UninstallDialog : public SetupDialogWindow {
public:
    // The dialog ends with IDOK after the removal, else IDCANCEL.
    explicit UninstallDialog(UninstallDialogSetup setup);

private:
    void Initialize() override;
    void SetTexts() override;
    void OnCommand(int id, int code) override;

    UninstallDialogSetup m_setup;
};
