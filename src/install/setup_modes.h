#pragma once

#include <optional>
#include <string>

// What the command line asked of the installer and uninstaller.
struct SetupRequest {
    bool forAllUsers = false;                // "forall"
    std::optional<int> preselectedLanguage;  // "m_lang_id"
    std::wstring uninstallPath;              // "-?UNPATH"
};

// The start modes that run instead of the program. Each returns the process exit code.
int RunInstaller(const SetupRequest& request);
int RunUninstaller(const SetupRequest& request);
int RunPortableInstaller(const SetupRequest& request);
