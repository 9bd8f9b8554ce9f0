#include "common/test_files.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>

#include "common/unique_handle.h"

namespace {

std::atomic<unsigned> g_folderCounter{0};

}  // namespace

TestFolder::TestFolder(const std::wstring& purpose) {
    wchar_t current[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, current);
    const std::wstring base = std::wstring(current) + L"\\work";
    CreateDirectoryW(base.c_str(), nullptr);
    // Process ids come again in later runs, and a folder left by one of them (Wine cannot
    // remove folder links that a test made from the Linux side) must not be taken for new.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        m_path = base + L"\\" + purpose + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                 std::to_wstring(g_folderCounter.fetch_add(1));
        RemoveTree(m_path);
        if (CreateDirectoryW(m_path.c_str(), nullptr)) break;
    }
}

TestFolder::~TestFolder() { RemoveTree(m_path); }

std::vector<std::wstring> EntryNamesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveTree(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileW(path.c_str())) RemoveDirectoryW(path.c_str());
        return;
    }
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(path.c_str());
}

bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    UniqueHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    DWORD written = 0;
    return bytes.empty() || (WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                             written == bytes.size());
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    return WriteFileBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

std::optional<std::vector<uint8_t>> ReadFileBytes(const std::wstring& path) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        return std::nullopt;
    }
    bytes.resize(read);
    return bytes;
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FolderIsEmpty(const std::wstring& folder) {
    const std::wstring pattern = folder + (!folder.empty() && folder.back() == L'\\' ? L"*" : L"\\*");
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool empty = true;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") empty = false;
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return empty;
}

std::vector<uint8_t> Utf16FileBytes(const std::wstring& text) {
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    for (wchar_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>((unit >> 8) & 0xFF));
    }
    return bytes;
}

bool StartsWithUtf16Mark(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
}

std::wstring ReadIniValue(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                          const std::wstring& fallback) {
    std::vector<wchar_t> buffer(65536, L'\0');
    const DWORD length = GetPrivateProfileStringW(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), file.c_str());
    return std::wstring(buffer.data(), length);
}

std::wstring WindowsPathFromHost(const std::string& hostPath) {
    std::wstring path = L"Z:";
    for (char c : hostPath) path += (c == '/') ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

std::wstring BuiltProgramPath() {
    const char* hostPath = std::getenv("ORBELIN_EXE");
    return hostPath != nullptr ? WindowsPathFromHost(hostPath) : std::wstring();
}

FileRestorer::FileRestorer(std::wstring path) : m_path(std::move(path)), m_saved(ReadFileBytes(m_path)) {}

FileRestorer::~FileRestorer() {
    if (m_saved) {
        WriteFileBytes(m_path, *m_saved);
    } else {
        SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(m_path.c_str());
    }
}
