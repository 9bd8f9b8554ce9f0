#include "install/setup_program_support.h"

#include <objbase.h>

#include "common/built_program_languages.h"
#include "common/proc_address.h"
#include "common/test_files.h"
#include "lang/language_archive.h"

bool LoadProgramLanguages() {
    if (!LoadBuiltProgramArchive()) return false;
    SetCurrentLanguageIndex(kLanguageEnglish);
    return true;
}

std::vector<SeenMessageBox> RunShowingBoxes(const std::function<void()>& task, int button) {
    return RunAnsweringMessageBoxes(
        [&] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            task();
            CoUninitialize();
        },
        60000, button);
}

DanglingRegistryKey::DanglingRegistryKey(HKEY root, std::wstring path) : m_root(root), m_path(std::move(path)) {
    HKEY link = nullptr;
    if (RegCreateKeyExW(m_root, m_path.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &link, nullptr) != ERROR_SUCCESS) {
        return;
    }
    const std::wstring target = L"\\Registry\\Machine\\Software\\Orbelin test: no such key\\nowhere";
    m_made = RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target.c_str()),
                            static_cast<DWORD>(target.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
    RegCloseKey(link);
}

DanglingRegistryKey::~DanglingRegistryKey() {
    // A link is opened as itself only when asked to, and deleted through the native call.
    HKEY link = nullptr;
    if (RegOpenKeyExW(m_root, m_path.c_str(), REG_OPTION_OPEN_LINK, DELETE, &link) != ERROR_SUCCESS) return;
    using DeleteKeyFunction = LONG(WINAPI*)(HANDLE);
    auto deleteKey = GetProcAddressAs<DeleteKeyFunction>(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey");
    if (deleteKey != nullptr) deleteKey(link);
    RegCloseKey(link);
}

HeldFile::HeldFile(const std::wstring& path, bool shareDeletion)
    : m_file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | (shareDeletion ? FILE_SHARE_DELETE : 0), nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}

HeldFile::~HeldFile() { Release(); }

void HeldFile::Release() {
    if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
}
