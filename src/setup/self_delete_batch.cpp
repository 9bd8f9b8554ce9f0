#include "setup/self_delete_batch.h"

#include <windows.h>

#include "common/ansi_text.h"
#include "common/unique_handle.h"

namespace {

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    UniqueHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    DWORD written = 0;
    return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace

bool WriteSelfDeletingBatch(const std::wstring& batchFile, const std::wstring& fileToDelete,
                            const std::wstring& secondFile) {
    // The batch must exist before its short name can be asked for.
    if (!WriteWholeFile(batchFile, std::string())) return false;
    const std::optional<std::string> batch = ExactAnsiPath(batchFile);
    const std::optional<std::string> program = ExactAnsiPath(fileToDelete);
    // A second file that is not there needs no line of its own.
    std::optional<std::string> second = std::string();
    if (!secondFile.empty() && GetFileAttributesW(secondFile.c_str()) != INVALID_FILE_ATTRIBUTES) {
        second = ExactAnsiPath(secondFile);
    }
    std::optional<std::string> text;
    if (batch && program && second) text = SelfDeleteBatchText(*program, *second, *batch);
    if (!text || !WriteWholeFile(batchFile, *text)) {
        DeleteFileW(batchFile.c_str());
        return false;
    }
    return true;
}

bool StartSelfDeletingBatch(const std::wstring& batchFile) {
    // The interpreter expands "%" also in the command it is given to run, so the batch is not
    // named by its path there (the shell's "open" would do that): it runs by its plain file
    // name from its own folder, which is made the current folder.
    const size_t cut = batchFile.find_last_of(L'\\');
    if (cut == std::wstring::npos) return false;
    const std::wstring folder = batchFile.substr(0, cut);
    const std::wstring name = batchFile.substr(cut + 1);
    if (name.empty() || name.find_first_of(L"%\" &|<>^") != std::wstring::npos) return false;
    wchar_t system[MAX_PATH] = L"";
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    const std::wstring interpreter = std::wstring(system) + L"\\cmd.exe";
    std::wstring commandLine = L"cmd.exe /d /c " + name;

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(interpreter.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        folder.c_str(), &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

std::wstring SelfDeleteBatchPath(const std::wstring& temporaryFolder) {
    return temporaryFolder + L"Orbelin_selfdestruct.bat";
}
