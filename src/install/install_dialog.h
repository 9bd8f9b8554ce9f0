#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "install/install_rules.h"
#include "install/installation.h"
#include "install/setup_dialog_parts.h"

// The installation dialog (193): language, folder, the check boxes, "Install" and "Cancel".

struct InstallDialogSetup {
    bool administrator = false;
    bool portable = false;  // started as the portable installer
    std::optional<int> preselectedLanguage;
    FolderListInput folders;  // the folder list's input (the folder list's rules)
    // Starts the program file again with the verb "runas" and `parameters`; true when it started.
    std::function<bool(const std::wstring& parameters)> startElevated;
    // The installation steps, and the start of the installed program after them.
    std::function<InstallResult(HWND owner, const InstallChoices& choices)> install;
    std::function<bool(const std::wstring& programPath)> startInstalled;
};

// The setup of a real run: the process's administrator rights, the system's folders, and the
// real elevation, installation and start. (A "forall" request asks for nothing more: the box
// starts ticked whenever the process has the rights, and never without them.)
InstallDialogSetup SystemInstallDialogSetup(bool portable, std::optional<int> preselectedLanguage);

class InstallDialog : public SetupDialogWindow {
public:
    // The dialog ends with IDOK after an installation, else IDCANCEL.
    explicit InstallDialog(InstallDialogSetup setup);

    // The parameters of the elevated start: " m_lang_id:" + language + " -?install", and
    // " forall" when installing for all users.
    static std::wstring ElevationParameters(int language, bool forAllUsers);

private:
    void Initialize() override;
    void SetTexts() override;
    void OnCommand(int id, int code) override;
    void FillFolderList();
    void OnPortable();
    void OnNeedsAdministrator(int boxId);
    void OnChooseFolder();
    void OnEula();
    void OnInstall();
    bool IsChecked(int id) const;
    void Check(int id, bool checked);

    InstallDialogSetup m_setup;
};
