#include "common/shell_open_recorder.h"

#include <windows.h>

#include <cstdlib>

#include "common/test_files.h"

namespace {

constexpr const wchar_t* kProgId = L"OrbelinTests.OpenRecorder";

// The classes are written for the whole machine: Wine 8 does not look at the per-user classes
// when it opens a file (the process counts as an administrator there).
const HKEY kClassesRoot = HKEY_CLASSES_ROOT;

bool ReadDefault(const std::wstring& key, std::wstring& value) {
    wchar_t buffer[1024] = L"";
    DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
    if (RegGetValueW(kClassesRoot, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buffer, &bytes) != ERROR_SUCCESS) {
        return false;
    }
    value = buffer;
    return true;
}

bool KeyExists(const std::wstring& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(kClassesRoot, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    RegCloseKey(handle);
    return true;
}

void WriteDefault(const std::wstring& key, const std::wstring& value) {
    RegSetKeyValueW(kClassesRoot, key.c_str(), nullptr, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

ShellOpenRecorder::ShellOpenRecorder(std::vector<std::wstring> types) {
    const char* fixtures = std::getenv("ORBELIN_FIXTURES_DIR");
    const std::wstring recorder = WindowsPathFromHost(fixtures != nullptr ? fixtures : "") + L"\\open_recorder.exe";
    wchar_t current[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, current);
    m_recordFile = std::wstring(current) + L"\\opened_" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    DeleteFileW(m_recordFile.c_str());

    const std::wstring command = L"\"" + recorder + L"\" \"" + m_recordFile + L"\" \"%1\"";
    WriteDefault(std::wstring(kProgId) + L"\\shell\\open\\command", command);
    for (const std::wstring& type : types) {
        // A file type (".png") names its class, whose "open" command the shell runs. An address
        // scheme ("http") is its own class: the shell runs "<scheme>\shell\open\command" as
        // it stands, so that command is the one to replace.
        const bool scheme = !type.empty() && type[0] != L'.';
        SavedDefault saved{scheme ? type + L"\\shell\\open\\command" : type, false, L"", type, KeyExists(type)};
        saved.existed = ReadDefault(saved.key, saved.value);
        m_saved.push_back(saved);
        WriteDefault(saved.key, scheme ? command : std::wstring(kProgId));
    }
}

ShellOpenRecorder::~ShellOpenRecorder() {
    // A type that had an association gets it back; one that had none loses the key again.
    for (const SavedDefault& saved : m_saved) {
        if (saved.existed) {
            WriteDefault(saved.key, saved.value);
        } else if (!saved.typeExisted) {
            RegDeleteTreeW(kClassesRoot, saved.typeKey.c_str());
            RegDeleteKeyW(kClassesRoot, saved.typeKey.c_str());
        } else {
            RegDeleteTreeW(kClassesRoot, saved.key.c_str());
            RegDeleteKeyW(kClassesRoot, saved.key.c_str());
        }
    }
    RegDeleteTreeW(kClassesRoot, kProgId);
    RegDeleteKeyW(kClassesRoot, kProgId);
    DeleteFileW(m_recordFile.c_str());
}

std::vector<std::wstring> ShellOpenRecorder::Opened() const {
    std::vector<std::wstring> opened;
    const auto bytes = ReadFileBytes(m_recordFile);
    if (!bytes) return opened;
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes->data()), bytes->size() / sizeof(wchar_t));
    size_t start = 0;
    for (size_t end = text.find(L'\n'); end != std::wstring::npos; end = text.find(L'\n', start)) {
        opened.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return opened;
}

std::vector<std::wstring> ShellOpenRecorder::WaitForOpened(size_t count, unsigned timeoutMs) const {
    const DWORD start = GetTickCount();
    std::vector<std::wstring> opened = Opened();
    while (opened.size() < count && GetTickCount() - start < timeoutMs) {
        Sleep(50);
        opened = Opened();
    }
    return opened;
}
