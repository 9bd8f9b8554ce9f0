#include "setup/self_delete_batch.h"

#include <windows.h>
#include <shellapi.h>

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

bool StartSelfDeletingBatch(const std::wstring& batchFile, const std::wstring& workingFolder) {
    const HINSTANCE result =
        ShellExecuteW(nullptr, L"open", batchFile.c_str(), nullptr, workingFolder.c_str(), SW_HIDE);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

std::wstring SelfDeleteBatchPath(const std::wstring& temporaryFolder) {
    return temporaryFolder + L"Orbelin_selfdestruct.bat";
}
