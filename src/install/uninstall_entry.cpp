#include "install/uninstall_entry.h"

#include "common/registry_key.h"
#include "install/install_detection.h"

namespace {

// Longer values than this are no program path of any kind.
constexpr DWORD kMaxUninstallValueBytes = 1 << 20;

}  // namespace

std::wstring UninstallKeyPath(const std::wstring& entryName) {
    return L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + entryName;
}

std::wstring UninstallEntryLocation(HKEY root, const std::wstring& entryName) {
    return std::wstring(root == HKEY_LOCAL_MACHINE ? L"HKEY_LOCAL_MACHINE\\" : L"HKEY_CURRENT_USER\\") +
           UninstallKeyPath(entryName);
}

std::wstring ReadUninstallString(HKEY root, const std::wstring& entryName) {
    RegistryKey key;
    if (RegOpenKeyExW(root, UninstallKeyPath(entryName).c_str(), 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) {
        return std::wstring();
    }
    DWORD type = REG_NONE;
    DWORD bytes = 0;
    std::vector<wchar_t> value;
    LONG result = RegQueryValueExW(key.Get(), L"UninstallString", nullptr, &type, nullptr, &bytes);
    if (result == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) && bytes >= sizeof(wchar_t) &&
        bytes <= kMaxUninstallValueBytes && bytes % sizeof(wchar_t) == 0) {
        value.assign(bytes / sizeof(wchar_t), L'\1');
        DWORD read = bytes;
        result = RegQueryValueExW(key.Get(), L"UninstallString", nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                                  &read);
        // The value may have changed between the two questions: only the same full string counts.
        if (result != ERROR_SUCCESS || read != bytes || (type != REG_SZ && type != REG_EXPAND_SZ)) value.clear();
    }
    key.Reset();
    // A properly terminated string ends in its null, and holds no earlier one.
    if (value.empty() || value.back() != L'\0') return std::wstring();
    const std::wstring text(value.data(), value.size() - 1);
    return text.find(L'\0') == std::wstring::npos ? text : std::wstring();
}

bool WriteUninstallEntry(HKEY root, const std::wstring& entryName, const std::vector<UninstallEntryValue>& values) {
    RegistryKey key;
    if (RegCreateKeyExW(root, UninstallKeyPath(entryName).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, key.Receive(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    bool written = true;
    for (const UninstallEntryValue& value : values) {
        LONG result = ERROR_SUCCESS;
        if (value.number) {
            const DWORD number = static_cast<DWORD>(*value.number);
            result = RegSetValueExW(key.Get(), value.name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                                    sizeof(number));
        } else {
            result = RegSetValueExW(key.Get(), value.name.c_str(), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(value.text.c_str()),
                                    static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t)));
        }
        written = written && result == ERROR_SUCCESS;
    }
    return written;
}

bool DeleteUninstallEntryOf(HKEY root, const std::wstring& entryName, const std::wstring& programPath) {
    if (!UninstallStringNamesProgram(ReadUninstallString(root, entryName), programPath)) return false;
    const std::wstring keyPath = UninstallKeyPath(entryName);
    // The entry holds values only; a key below it (which the installer never makes) keeps it.
    return RegDeleteKeyW(root, keyPath.c_str()) == ERROR_SUCCESS ||
           (RegDeleteTreeW(root, keyPath.c_str()) == ERROR_SUCCESS &&
            RegDeleteKeyW(root, keyPath.c_str()) == ERROR_SUCCESS);
}
