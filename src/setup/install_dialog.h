#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "imaging/dum_bitmap.h"
#include "setup/install_rules.h"
#include "setup/installation.h"

// The installation dialog (193): language, folder, the check boxes, "Install" and "Cancel".

struct InstallDialogSetup {
    bool administrator = false;
    bool portable = false;              // started as the portable installer
    bool forAllUsersRequested = false;  // "forall" on the command line
    std::optional<int> preselectedLanguage;
    FolderListInput folders;  // the folder list's input (the folder list's rules)
    // Starts the program file again with the verb "runas" and `parameters`; true when it started.
    std::function<bool(const std::wstring& parameters)> startElevated;
    // The installation steps, and the start of the installed program after them.
    std::function<InstallResult(HWND owner, const InstallChoices& choices)> install;
    std::function<bool(const std::wstring& programPath)> startInstalled;
};

// The setup of a real run: the process's administrator rights, the system's folders, and the
// real elevation, installation and start.
InstallDialogSetup SystemInstallDialogSetup(bool portable, bool forAllUsersRequested,
                                            std::optional<int> preselectedLanguage);

class InstallDialog {
public:
    explicit InstallDialog(InstallDialogSetup setup) : m_setup(std::move(setup)) {}
    ~InstallDialog();
    InstallDialog(const InstallDialog&) = delete;
    InstallDialog& operator=(const InstallDialog&) = delete;

    // Shows the dialog modally until it ends; returns IDOK after an installation, else IDCANCEL.
    int RunModal();

    // The same dialog without a modal loop of its own, for a caller that runs the messages
    // (tests); it ends as the modal one would (see Ended).
    HWND CreateModeless();
    HWND Window() const { return m_dialog; }
    bool Ended() const { return m_ended; }
    int Result() const { return m_result; }

    // The parameters of the elevated start: " m_lang_id:" + language + " -?install", and
    // " forall" when installing for all users.
    static std::wstring ElevationParameters(int language, bool forAllUsers);

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Initialize();
    void SetTexts();
    void FillFolderList();
    void OnCommand(int id, int code);
    void OnPortable();
    void OnNeedsAdministrator(int boxId);
    void OnChooseFolder();
    void OnEula();
    void OnInstall();
    bool IsChecked(int id) const;
    void Check(int id, bool checked);
    void End(int result);

    InstallDialogSetup m_setup;
    HWND m_dialog = nullptr;
    bool m_modal = false;
    bool m_ended = false;
    int m_result = IDCANCEL;
    CDumBitmap m_banner;
    HICON m_icon = nullptr;
};
