#include "common/installation_guard.h"

#include <shlobj.h>

#include <algorithm>

#include "common/message_box.h"

std::optional<StoredValue> ReadRegistryValue(HKEY root, const std::wstring& key, const std::wstring& name) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) return std::nullopt;
    StoredValue value;
    DWORD size = 0;
    LONG result = RegQueryValueExW(handle, name.c_str(), nullptr, &value.type, nullptr, &size);
    if (result == ERROR_SUCCESS) {
        value.bytes.resize(size);
        result = RegQueryValueExW(handle, name.c_str(), nullptr, &value.type, value.bytes.data(), &size);
        value.bytes.resize(size);
    }
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS) return std::nullopt;
    return value;
}

std::optional<std::wstring> ReadRegistryText(HKEY root, const std::wstring& key, const std::wstring& name) {
    const std::optional<StoredValue> value = ReadRegistryValue(root, key, name);
    if (!value || value->type != REG_SZ) return std::nullopt;
    std::wstring text(reinterpret_cast<const wchar_t*>(value->bytes.data()), value->bytes.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

bool RegistryKeyExists(HKEY root, const std::wstring& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    RegCloseKey(handle);
    return true;
}

std::wstring TemporaryFolderOfPrefix() { return TemporaryFolderPath(); }

std::vector<std::wstring> TemporaryFoldersNamed(const std::wstring& prefix) {
    std::vector<std::wstring> folders;
    const std::wstring temporaryFolder = TemporaryFolderPath();
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((temporaryFolder + prefix + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return folders;
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            folders.push_back(temporaryFolder + entry.cFileName);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    std::sort(folders.begin(), folders.end());
    return folders;
}

std::vector<std::wstring> OwnTemporaryFolders() {
    std::vector<std::wstring> folders = TemporaryFoldersNamed(L"Orbelin_uninstall_");
    for (const std::wstring& folder : TemporaryFoldersNamed(L"Orbelin_selfdestruct_")) folders.push_back(folder);
    return folders;
}

std::vector<std::wstring> OwnTemporaryFoldersLeft(const std::vector<std::wstring>& before) {
    const bool wine = RunsUnderWine();
    std::vector<std::wstring> left;
    for (const std::wstring& folder : OwnTemporaryFolders()) {
        if (std::find(before.begin(), before.end(), folder) != before.end()) continue;
        const bool batchFolder = folder.find(L"\\Orbelin_selfdestruct_") != std::wstring::npos;
        if (wine && batchFolder && RemoveDirectoryW(folder.c_str())) continue;
        left.push_back(folder);
    }
    return left;
}

ShellPlaces ShellPlacesFor(bool allUsers) {
    ShellPlaces places;
    places.desktopLink =
        ShellFolderPath(allUsers ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY) + L"\\Orbelin.lnk";
    places.startMenuFolder = ShellFolderPath(allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS) + L"\\Orbelin";
    places.startLink = places.startMenuFolder + L"\\Orbelin.lnk";
    places.uninstallLink = places.startMenuFolder + L"\\Orbelin_Uninstall.lnk";
    return places;
}

std::wstring InstalledProgramUserSettingsPath() { return ShellFolderPath(CSIDL_APPDATA) + L"\\Orbelin\\Orbelin.ini"; }

RegistryKeyGuard::RegistryKeyGuard(HKEY root, std::wstring key) : m_root(root), m_key(std::move(key)) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(m_root, m_key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return;
    m_existed = true;
    for (DWORD index = 0;; ++index) {
        std::vector<wchar_t> name(16384, L'\0');
        DWORD nameLength = static_cast<DWORD>(name.size());
        std::vector<BYTE> data(65536);
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueW(handle, index, name.data(), &nameLength, nullptr, &type, data.data(), &size) !=
            ERROR_SUCCESS) {
            break;
        }
        data.resize(size);
        m_values.push_back({std::wstring(name.data(), nameLength), {type, data}});
    }
    RegCloseKey(handle);
}

RegistryKeyGuard::~RegistryKeyGuard() {
    RegDeleteTreeW(m_root, m_key.c_str());
    RegDeleteKeyW(m_root, m_key.c_str());
    if (!m_existed) return;
    HKEY handle = nullptr;
    if (RegCreateKeyExW(m_root, m_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS) {
        return;
    }
    for (const auto& [name, value] : m_values) {
        RegSetValueExW(handle, name.c_str(), 0, value.type, value.bytes.data(), static_cast<DWORD>(value.bytes.size()));
    }
    RegCloseKey(handle);
}

RegistryValueGuard::RegistryValueGuard(HKEY root, std::wstring key, std::wstring name)
    : m_root(root), m_key(std::move(key)), m_name(std::move(name)), m_saved(ReadRegistryValue(m_root, m_key, m_name)) {}

RegistryValueGuard::~RegistryValueGuard() {
    HKEY handle = nullptr;
    if (m_saved) {
        if (RegCreateKeyExW(m_root, m_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) !=
            ERROR_SUCCESS) {
            return;
        }
        RegSetValueExW(handle, m_name.c_str(), 0, m_saved->type, m_saved->bytes.data(),
                       static_cast<DWORD>(m_saved->bytes.size()));
    } else {
        if (RegOpenKeyExW(m_root, m_key.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) return;
        RegDeleteValueW(handle, m_name.c_str());
    }
    RegCloseKey(handle);
}

FolderGuard::FolderGuard(std::wstring path) : m_path(std::move(path)) {
    const DWORD attributes = GetFileAttributesW(m_path.c_str());
    m_existed = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

FolderGuard::~FolderGuard() {
    if (!m_existed) RemoveTree(m_path);
}

void FolderGuard::MakeAgainIfGone() const {
    if (m_existed) CreateDirectoryW(m_path.c_str(), nullptr);
}

InstallationGuard::InstallationGuard() {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        m_keys.push_back(std::make_unique<RegistryKeyGuard>(root, kUninstallEntryKey));
        m_values.push_back(std::make_unique<RegistryValueGuard>(root, kRunValueKey, L"Orbelin"));
    }
    const std::wstring settings = InstalledProgramUserSettingsPath();
    m_folders.push_back(std::make_unique<FolderGuard>(settings.substr(0, settings.find_last_of(L'\\'))));
    m_files.push_back(std::make_unique<FileRestorer>(settings));
    for (bool allUsers : {false, true}) {
        const ShellPlaces places = ShellPlacesFor(allUsers);
        m_folders.push_back(std::make_unique<FolderGuard>(places.startMenuFolder));
        for (const std::wstring& file : {places.desktopLink, places.startLink, places.uninstallLink}) {
            m_files.push_back(std::make_unique<FileRestorer>(file));
        }
    }
    for (const wchar_t* name : {L"Orbelin_Uninstall.exe", L"Orbelin_away_with_it.exe", L"Orbelin_selfdestruct.bat",
                                L"kestrova_tmp_link.url"}) {
        m_files.push_back(std::make_unique<FileRestorer>(TemporaryFolderOfPrefix() + name));
    }
    m_ownTemporaryFolders = OwnTemporaryFolders();
}

InstallationGuard::~InstallationGuard() {
    for (const std::wstring& folder : OwnTemporaryFolders()) {
        if (std::find(m_ownTemporaryFolders.begin(), m_ownTemporaryFolders.end(), folder) ==
            m_ownTemporaryFolders.end()) {
            RemoveTree(folder);
        }
    }
    // Files before their folders: a folder that did not exist goes with what is left in it, one
    // that did gets its files back.
    for (const auto& folder : m_folders) folder->MakeAgainIfGone();
    m_files.clear();
    m_folders.clear();
    m_values.clear();
    m_keys.clear();
}
