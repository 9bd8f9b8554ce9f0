#include "install/self_delete_batch.h"

#include <windows.h>
#include <sddl.h>

#include <vector>

#include "common/ansi_text.h"
#include "common/file_attributes.h"
#include "common/system_folders.h"
#include "install/admin_probe.h"

namespace {

// The folder of a path, without its trailing backslash.
std::wstring ParentOf(const std::wstring& path) {
    std::wstring trimmed = path;
    while (!trimmed.empty() && trimmed.back() == L'\\') trimmed.pop_back();
    const size_t cut = trimmed.find_last_of(L'\\');
    return cut == std::wstring::npos ? std::wstring() : trimmed.substr(0, cut);
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// Reads the whole (small) file from its start; nothing when it cannot be read.
std::optional<std::string> ReadAll(HANDLE file) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 || size.QuadPart > (1 << 20)) return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())) {
        return std::nullopt;
    }
    return bytes;
}

// The batch text for `deletion`, with every path named as the ANSI code page can name it.
std::optional<std::string> BatchTextFor(const std::wstring& batchFile, const SelfDeletion& deletion,
                                        bool removeBatchFolder) {
    SelfDeleteBatchPaths paths;
    const std::optional<std::string> program = ExactAnsiPath(deletion.fileToDelete);
    const std::optional<std::string> batch = ExactAnsiPath(batchFile);
    if (!program || !batch) return std::nullopt;
    paths.fileToDelete = *program;
    paths.batchFile = *batch;
    // What is not there needs no line of its own.
    for (const auto& [wide, ansi] : {std::pair{&deletion.secondFile, &paths.secondFile},
                                     std::pair{&deletion.folderToRemove, &paths.folderToRemove}}) {
        if (wide->empty() || !PathExists(*wide)) continue;
        const std::optional<std::string> named = ExactAnsiPath(*wide);
        if (!named) return std::nullopt;
        *ansi = *named;
    }
    if (removeBatchFolder) {
        const std::optional<std::string> folder = ExactAnsiPath(ParentOf(batchFile));
        if (!folder) return std::nullopt;
        paths.batchFolder = *folder;
    }
    return SelfDeleteBatchText(paths);
}

// The rights of a folder that only administrators and the system may change: given to the
// self-deletion's folder of a process with administrator rights, whose batch runs with them.
class AdministratorsOnlyFolderRights {
public:
    AdministratorsOnlyFolderRights() {
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)",
                                                                  SDDL_REVISION_1, &m_descriptor, nullptr)) {
            m_descriptor = nullptr;
        }
        m_attributes.nLength = sizeof(m_attributes);
        m_attributes.lpSecurityDescriptor = m_descriptor;
        m_attributes.bInheritHandle = FALSE;
    }
    ~AdministratorsOnlyFolderRights() {
        if (m_descriptor != nullptr) LocalFree(m_descriptor);
    }
    AdministratorsOnlyFolderRights(const AdministratorsOnlyFolderRights&) = delete;
    AdministratorsOnlyFolderRights& operator=(const AdministratorsOnlyFolderRights&) = delete;

    // Null when the rights could not be made.
    SECURITY_ATTRIBUTES* Attributes() { return m_descriptor != nullptr ? &m_attributes : nullptr; }

private:
    PSECURITY_DESCRIPTOR m_descriptor = nullptr;
    SECURITY_ATTRIBUTES m_attributes{};
};

}  // namespace

UniqueHandle WriteSelfDeletingBatch(const std::wstring& batchFile, const SelfDeletion& deletion,
                                    bool removeBatchFolder) {
    if (deletion.fileToDelete.empty() || !PathExists(deletion.fileToDelete)) return UniqueHandle();
    std::optional<std::string> text;
    {
        // A new file only: one that somebody else made first is not ours to fill. It must exist
        // before its short name can be asked for.
        UniqueHandle file(
            CreateFileW(batchFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid()) return UniqueHandle();
        text = BatchTextFor(batchFile, deletion, removeBatchFolder);
        if (!text || !WriteAll(file.Get(), *text)) text.reset();
    }
    // Opened again for reading only, without write or delete sharing: whoever changed the file
    // between the two openings is found out by its content, and nobody can change it afterwards.
    UniqueHandle batch;
    if (text) {
        batch.Reset(CreateFileW(batchFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    if (batch.IsValid() && ReadAll(batch.Get()) == text) return batch;
    batch.Reset();
    DeleteFileW(batchFile.c_str());
    return UniqueHandle();
}

bool StartSelfDeletingBatch(const std::wstring& batchFile) {
    // The interpreter expands "%" also in the command it is given to run, so the batch is not
    // named by its path there (the shell's "open" would do that): it runs by its plain file
    // name from its own folder, which is made the current folder. Delayed expansion would eat
    // every "!" of the paths in the batch, and may be switched on for all batches in the
    // registry: it is switched off for this one.
    const size_t cut = batchFile.find_last_of(L'\\');
    if (cut == std::wstring::npos) return false;
    const std::wstring folder = batchFile.substr(0, cut);
    const std::wstring name = batchFile.substr(cut + 1);
    if (name.empty() || name.find_first_of(L"%\" &|<>^!") != std::wstring::npos) return false;
    wchar_t system[MAX_PATH] = L"";
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    const std::wstring interpreter = std::wstring(system) + L"\\cmd.exe";
    std::wstring commandLine = L"cmd.exe /d /v:off /c " + name;

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(interpreter.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        folder.c_str(), &startup, &process)) {
        return false;
    }
    const UniqueHandle thread(process.hThread);
    const UniqueHandle interpreterProcess(process.hProcess);
    return true;
}

std::wstring SelfDeleteBatchPath(const std::wstring& folder) { return folder + L"Orbelin_selfdestruct.bat"; }

UniqueHandle StartSelfDeletion(const SelfDeletion& deletion) {
    AdministratorsOnlyFolderRights administratorsOnly;
    const std::wstring folder = CreateOwnTemporaryFolder(
        kSelfDeleteFolderPrefix, ProcessIsAdministrator() ? administratorsOnly.Attributes() : nullptr);
    if (folder.empty()) return UniqueHandle();
    const std::wstring batchFile = SelfDeleteBatchPath(folder);
    UniqueHandle batch = WriteSelfDeletingBatch(batchFile, deletion, true);
    if (batch.IsValid() && StartSelfDeletingBatch(batchFile)) return batch;
    batch.Reset();
    DeleteFileW(batchFile.c_str());
    RemoveDirectoryW(folder.c_str());
    return UniqueHandle();
}
