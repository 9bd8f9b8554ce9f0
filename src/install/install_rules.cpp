// The installer's rules on plain texts: no Windows calls.
#include "install/install_rules.h"

namespace {

constexpr const wchar_t* kProgramFolderName = L"Orbelin";
constexpr const wchar_t* kMakerFolderName = L"Kestrova";

wchar_t FoldAsciiLetter(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool IsDriveRoot(std::wstring_view path) {
    return path.size() == 3 && path[1] == L':' && path[2] == L'\\' &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

bool ListedDrive(const DriveInfo& drive) {
    switch (drive.kind) {
        case DriveKind::kRemovable: {
            // Floppy drives answer slowly or ask for a disk.
            const wchar_t letter = drive.root.empty() ? L'\0' : FoldAsciiLetter(drive.root[0]);
            return letter != L'A' && letter != L'B';
        }
        case DriveKind::kFixed:
        case DriveKind::kRemote:
        case DriveKind::kRamDisk:
            return true;
        default:
            return false;
    }
}

std::wstring ReplaceAll(std::wstring text, std::wstring_view from, std::wstring_view to) {
    for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

}  // namespace

std::wstring PathInFolder(const std::wstring& folder, const std::wstring& fileName) {
    if (!folder.empty() && folder.back() == L'\\') return folder + fileName;
    return folder + L"\\" + fileName;
}

bool SamePath(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAsciiLetter(a[i]) != FoldAsciiLetter(b[i])) return false;
    }
    return true;
}

FolderList InstallFolderList(const FolderListInput& input) {
    FolderList list;
    const std::wstring appDataEntry = PathInFolder(input.appDataFolder, kProgramFolderName);
    list.editText = appDataEntry;
    if (input.administrator && !input.programFilesFolder.empty()) {
        list.entries.push_back(PathInFolder(input.programFilesFolder, kProgramFolderName));
    }
    list.entries.push_back(appDataEntry);
    list.selected = 0;

    bool firstDrive = true;
    for (const DriveInfo& drive : input.drives) {
        if (!ListedDrive(drive) || drive.root.empty()) continue;
        if (input.portable && firstDrive) list.selected = static_cast<int>(list.entries.size());
        firstDrive = false;
        list.entries.push_back(PathInFolder(drive.root, kProgramFolderName));
        list.entries.push_back(PathInFolder(PathInFolder(drive.root, kMakerFolderName), kProgramFolderName));
    }

    if (input.existingInstallation && !input.existingInstallation->empty()) {
        for (size_t i = 0; i < list.entries.size(); ++i) {
            if (SamePath(list.entries[i], *input.existingInstallation)) {
                list.selected = static_cast<int>(i);
                return list;
            }
        }
        list.entries.insert(list.entries.begin(), *input.existingInstallation);
        list.selected = 0;
    }
    return list;
}

std::wstring NormalizeInstallFolder(std::wstring_view text) {
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos) return std::wstring();
    const size_t last = text.find_last_not_of(L" \t");
    std::wstring folder(text.substr(first, last - first + 1));
    for (wchar_t& c : folder) {
        if (c == L'/') c = L'\\';
    }
    // A network path keeps its leading pair of backslashes.
    const bool network = folder.size() >= 2 && folder[0] == L'\\' && folder[1] == L'\\';
    std::wstring single;
    for (size_t i = 0; i < folder.size(); ++i) {
        if (folder[i] == L'\\' && !single.empty() && single.back() == L'\\' && !(network && i == 1)) continue;
        single += folder[i];
    }
    while (single.size() > 1 && single.back() == L'\\' && !IsDriveRoot(single) && !(network && single.size() <= 2)) {
        single.pop_back();
    }
    if (single.size() == 2 && single[1] == L':') single += L'\\';
    return single;
}

bool IsFullFolderPath(std::wstring_view folder) {
    if (IsDriveRoot(folder.substr(0, 3))) return true;
    if (folder.size() < 5 || folder[0] != L'\\' || folder[1] != L'\\') return false;
    // "\\server\share": a server name that is no device marker, then a share name.
    const size_t server = folder.find(L'\\', 2);
    if (server == std::wstring_view::npos || server == 2 || server + 1 >= folder.size()) return false;
    const std::wstring_view serverName = folder.substr(2, server - 2);
    return serverName != L"?" && serverName != L"." && folder[server + 1] != L'\\';
}

std::wstring ListMessage(const std::wstring& heading, const std::vector<std::wstring>& items) {
    std::wstring message = heading + L":";
    for (const std::wstring& item : items) message += L"\r\n" + item;
    return message;
}

std::wstring SettingsFileOfPortableRemoval(const std::wstring& programPath, const std::wstring& settingsPath,
                                           const std::wstring& perUserSettingsPath,
                                           const std::vector<std::wstring>& installedPrograms) {
    if (settingsPath.empty() || programPath.empty()) return std::wstring();
    if (!perUserSettingsPath.empty() && SamePath(settingsPath, perUserSettingsPath)) {
        for (const std::wstring& installed : installedPrograms) {
            if (!installed.empty() && !SamePath(installed, programPath)) return std::wstring();
        }
        return settingsPath;
    }
    const size_t settingsCut = settingsPath.find_last_of(L'\\');
    const size_t programCut = programPath.find_last_of(L'\\');
    if (settingsCut == std::wstring::npos || programCut == std::wstring::npos) return std::wstring();
    return SamePath(std::wstring_view(settingsPath).substr(0, settingsCut),
                    std::wstring_view(programPath).substr(0, programCut))
               ? settingsPath
               : std::wstring();
}

std::wstring InstalledSettingsPath(const std::wstring& folder, bool portable, bool settingsInFolder,
                                   const std::wstring& appDataFolder) {
    if (portable || settingsInFolder || appDataFolder.empty()) return PathInFolder(folder, kInstalledSettingsName);
    return PathInFolder(PathInFolder(appDataFolder, kProgramFolderName), kInstalledSettingsName);
}

bool InstallFolderFitsPathLimit(const std::wstring& folder) {
    if (folder.empty()) return false;
    for (const wchar_t* name : {kInstalledProgramName, kUninstallInfoName, kInstalledSettingsName}) {
        if (PathInFolder(folder, name).size() > kMaxPathLength) return false;
    }
    return true;
}

std::vector<std::wstring> FolderChain(const std::wstring& folder) {
    std::vector<std::wstring> chain;
    size_t start = 0;
    if (folder.size() >= 2 && folder[0] == L'\\' && folder[1] == L'\\') {
        // "\\server\share" is the root of a network path.
        const size_t server = folder.find(L'\\', 2);
        if (server == std::wstring::npos) return chain;
        start = folder.find(L'\\', server + 1);
        if (start == std::wstring::npos) return chain;
    } else if (folder.size() >= 2 && folder[1] == L':') {
        start = 2;
    }
    for (size_t cut = folder.find(L'\\', start + 1); cut != std::wstring::npos; cut = folder.find(L'\\', cut + 1)) {
        chain.push_back(folder.substr(0, cut));
    }
    if (!folder.empty() && !IsDriveRoot(folder) && folder.back() != L'\\') chain.push_back(folder);
    return chain;
}

std::wstring ChosenFolderEntry(const std::wstring& chosen) {
    return NormalizeInstallFolder(chosen + L"\\" + kProgramFolderName);
}

std::wstring EncodeUninstallFolder(std::wstring_view folder) {
    std::wstring encoded;
    for (wchar_t c : folder) {
        if (c == L'%') {
            encoded += L"%25";
        } else if (c == L' ') {
            encoded += L"%20";
        } else {
            encoded += c;
        }
    }
    return encoded;
}

std::wstring DecodeUninstallFolder(std::wstring_view argument) {
    std::wstring decoded;
    for (size_t i = 0; i < argument.size(); ++i) {
        if (argument[i] == L'%' && i + 2 < argument.size() && argument[i + 1] == L'2') {
            if (argument[i + 2] == L'0') {
                decoded += L' ';
                i += 2;
                continue;
            }
            if (argument[i + 2] == L'5') {
                decoded += L'%';
                i += 2;
                continue;
            }
        }
        decoded += argument[i];
    }
    return decoded;
}

std::wstring DecodeUninstallFolderOldForm(std::wstring_view argument) {
    return ReplaceAll(std::wstring(argument), L"%20", L" ");
}

std::wstring TemporaryUninstallerPath(const std::wstring& ownFolder, bool administrator) {
    return ownFolder + kProgramFolderName + (administrator ? L"_Uninstall.exe" : L"_away_with_it.exe");
}

bool IsTemporaryUninstaller(const std::wstring& programPath, const std::wstring& temporaryFolder) {
    if (temporaryFolder.empty() || temporaryFolder.back() != L'\\' || programPath.size() <= temporaryFolder.size() ||
        !SamePath(std::wstring_view(programPath).substr(0, temporaryFolder.size()), temporaryFolder)) {
        return false;
    }
    const std::wstring inside = programPath.substr(temporaryFolder.size());
    const size_t cut = inside.find(L'\\');
    if (cut == std::wstring::npos || inside.find(L'\\', cut + 1) != std::wstring::npos) return false;
    const std::wstring_view prefix = kTemporaryUninstallerFolderPrefix;
    const std::wstring folder = inside.substr(0, cut + 1);
    if (folder.size() <= prefix.size() + 1 || !SamePath(std::wstring_view(folder).substr(0, prefix.size()), prefix) ||
        folder.find(L"..") != std::wstring::npos) {
        return false;
    }
    return SamePath(inside, TemporaryUninstallerPath(folder, true)) ||
           SamePath(inside, TemporaryUninstallerPath(folder, false));
}

bool IsRemovableShortcutPath(const std::wstring& recorded, const std::wstring& expectedName,
                             const std::vector<std::wstring>& allowedFolders) {
    if (recorded.empty() || recorded.find(L'/') != std::wstring::npos) return false;
    const size_t cut = recorded.find_last_of(L'\\');
    if (cut == std::wstring::npos) return false;
    const std::wstring folder = recorded.substr(0, cut);
    const std::wstring name = recorded.substr(cut + 1);
    if (!SamePath(name, expectedName)) return false;
    for (const std::wstring& allowed : allowedFolders) {
        if (!allowed.empty() && SamePath(NormalizeInstallFolder(folder), NormalizeInstallFolder(allowed)) &&
            folder.find(L"..") == std::wstring::npos) {
            return true;
        }
    }
    return false;
}

std::wstring OverwriteQuestion(const std::wstring& text217, const std::wstring& programPath,
                               const std::wstring& text219) {
    std::wstring question = ReplaceAll(text217, L"\\n", L"\r\n");
    const size_t placeholder = question.find(L"%s");
    if (placeholder != std::wstring::npos) question.replace(placeholder, 2, programPath);
    return question + L"\r\n" + text219;
}

std::wstring InstallDialogTitle(bool administrator, const std::wstring& programTitle) {
    return std::wstring(L"Micro Install ") + (administrator ? L"(Admin)" : L"") + L" - " + programTitle;
}

std::wstring UninstallDialogTitle(bool administrator, const std::wstring& programTitle) {
    return std::wstring(L"Micro Uninstall ") + (administrator ? L"(Admin)" : L"") + L" - " + programTitle;
}

std::optional<std::wstring> LanguageListEntry(std::wstring_view nameLine) {
    if (nameLine.size() <= 5) return std::nullopt;
    return ReplaceAll(std::wstring(nameLine), L"\t", L" <===> ");
}

std::vector<UninstallEntryValue> UninstallEntryValues(const std::wstring& programPath, const std::wstring& programPage,
                                                      const std::wstring& programTitle, const std::wstring& makerLine) {
    // The path is quoted: a path with blanks must not be read as a shorter program's path.
    return {
        {L"DisplayName", kProgramFolderName, std::nullopt},
        {L"UninstallString", L"\"" + programPath + L"\" -?uninstall", std::nullopt},
        {L"EstimatedSize", L"", 200ul},
        {L"DisplayIcon", programPath + L",0", std::nullopt},
        {L"URLInfoAbout", programPage, std::nullopt},
        {L"URLUpdateInfo", programPage + L"/History", std::nullopt},
        {L"Comments", programTitle, std::nullopt},
        {L"Publisher", makerLine, std::nullopt},
    };
}
