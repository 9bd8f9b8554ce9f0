#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/system_folders.h"
#include "common/test_files.h"

// What an installation of the program changes outside its own folder - the uninstall entries,
// the Run values, the shortcuts and start-menu folders, the per-user settings, the temporary
// uninstaller files - kept while a test installs and uninstalls, and put back at its end.

inline constexpr const wchar_t* kUninstallEntryKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orbelin";
inline constexpr const wchar_t* kRunValueKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// A registry value as stored: its type and bytes.
struct StoredValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};
std::optional<StoredValue> ReadRegistryValue(HKEY root, const std::wstring& key, const std::wstring& name);
// A REG_SZ value's text; nothing for a missing value or another type.
std::optional<std::wstring> ReadRegistryText(HKEY root, const std::wstring& key, const std::wstring& name);
bool RegistryKeyExists(HKEY root, const std::wstring& key);

// The temporary folder of this prefix, with its trailing backslash.
std::wstring TemporaryFolderOfPrefix();

// The folders in the temporary folder whose names start with `prefix`, as full paths without a
// trailing backslash: the folders of their own that the uninstaller ("Orbelin_uninstall_") and
// the self-deleting batch ("Orbelin_selfdestruct_") make.
std::vector<std::wstring> TemporaryFoldersNamed(const std::wstring& prefix);

// The folders of their own that the uninstaller and the self-deleting batch made since
// `before` (a list of TemporaryFoldersNamed of both kinds) and left behind. Under Wine the
// command interpreter keeps its batch open until it ends, so the batch cannot remove its own
// folder: an empty "Orbelin_selfdestruct_" folder is not counted there (and is removed here).
std::vector<std::wstring> OwnTemporaryFoldersLeft(const std::vector<std::wstring>& before);
std::vector<std::wstring> OwnTemporaryFolders();

// Where an installation puts its shortcuts, per user or for all users.
struct ShellPlaces {
    std::wstring desktopLink;
    std::wstring startMenuFolder;
    std::wstring startLink;
    std::wstring uninstallLink;
};
ShellPlaces ShellPlacesFor(bool allUsers);

// The per-user settings file of an installed program.
std::wstring InstalledProgramUserSettingsPath();

// Keeps a registry key's values (or its absence) and puts them back at the end.
class RegistryKeyGuard {
public:
    RegistryKeyGuard(HKEY root, std::wstring key);
    ~RegistryKeyGuard();
    RegistryKeyGuard(const RegistryKeyGuard&) = delete;
    RegistryKeyGuard& operator=(const RegistryKeyGuard&) = delete;

private:
    HKEY m_root;
    std::wstring m_key;
    bool m_existed = false;
    std::vector<std::pair<std::wstring, StoredValue>> m_values;
};

// Keeps one registry value (or its absence) and puts it back at the end.
class RegistryValueGuard {
public:
    RegistryValueGuard(HKEY root, std::wstring key, std::wstring name);
    ~RegistryValueGuard();
    RegistryValueGuard(const RegistryValueGuard&) = delete;
    RegistryValueGuard& operator=(const RegistryValueGuard&) = delete;

private:
    HKEY m_root;
    std::wstring m_key;
    std::wstring m_name;
    std::optional<StoredValue> m_saved;
};

// Removes a folder (with what is in it) at the end when it did not exist before.
class FolderGuard {
public:
    explicit FolderGuard(std::wstring path);
    ~FolderGuard();
    // Makes a folder that existed before and is gone again, so that its files can be put back.
    void MakeAgainIfGone() const;
    FolderGuard(const FolderGuard&) = delete;
    FolderGuard& operator=(const FolderGuard&) = delete;

private:
    std::wstring m_path;
    bool m_existed;
};

// All of the above for the program's installation, and the folders of their own that the
// uninstaller and its batch make in the temporary folder (removed when they are left). Members
// end in reverse order: the files are put back first, then their folders.
class InstallationGuard {
public:
    InstallationGuard();
    ~InstallationGuard();
    InstallationGuard(const InstallationGuard&) = delete;
    InstallationGuard& operator=(const InstallationGuard&) = delete;

private:
    std::vector<std::unique_ptr<RegistryKeyGuard>> m_keys;
    std::vector<std::unique_ptr<RegistryValueGuard>> m_values;
    std::vector<std::unique_ptr<FolderGuard>> m_folders;
    std::vector<std::unique_ptr<FileRestorer>> m_files;
    std::vector<std::wstring> m_ownTemporaryFolders;
};
