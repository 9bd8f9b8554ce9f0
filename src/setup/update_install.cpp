#include "setup/update_install.h"

#include <shellapi.h>

#include <vector>

#include "common/module_path.h"
#include "common/unique_handle.h"

namespace {

constexpr DWORD kWritablePollMs = 200;

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool IsExistingFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring ImageOfProcess(DWORD processId) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process.IsValid()) return std::wstring();
    std::vector<wchar_t> buffer(32768, L'\0');
    DWORD length = static_cast<DWORD>(buffer.size());
    if (!QueryFullProcessImageNameW(process.Get(), 0, buffer.data(), &length)) return std::wstring();
    return std::wstring(buffer.data(), length);
}

struct EndRequest {
    const std::wstring* programPath;
    int asked;
};

BOOL CALLBACK AskWindowToClose(HWND window, LPARAM parameter) {
    auto* request = reinterpret_cast<EndRequest*>(parameter);
    wchar_t className[64] = L"";
    wchar_t title[64] = L"";
    GetClassNameW(window, className, 64);
    GetWindowTextW(window, title, 64);
    const bool mainWindow = lstrcmpW(className, L"Orbelin") == 0;
    const bool browserWindow = lstrcmpW(className, L"#32770") == 0 && lstrcmpW(title, L"Glimmerpane") == 0;
    if (!mainWindow && !browserWindow) return TRUE;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == GetCurrentProcessId() || !SamePath(ImageOfProcess(processId), *request->programPath)) return TRUE;
    PostMessageW(window, WM_CLOSE, 0, 0);
    ++request->asked;
    return TRUE;
}

void ShowFailure(const std::wstring& version, const std::wstring& reason, const std::wstring& programPath) {
    MessageBoxW(nullptr, UpdateFailureText(version, reason, programPath).c_str(), kUpdateFailureCaption,
                MB_OK | MB_ICONERROR);
}

}  // namespace

std::wstring UpdateFailureText(const std::wstring& version, const std::wstring& reason,
                               const std::wstring& programPath) {
    return L"Orbelin " + version + L" could not be installed: " + reason + L"\r\n\r\nThe program stays as it was:\r\n" +
           programPath;
}

int AskRunningProgramToEnd(const std::wstring& programPath) {
    EndRequest request{&programPath, 0};
    EnumWindows(AskWindowToClose, reinterpret_cast<LPARAM>(&request));
    return request.asked;
}

bool WaitUntilWritable(const std::wstring& path, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        UniqueHandle file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.IsValid()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(kWritablePollMs);
    }
}

ReplaceResult ReplaceProgramFile(const std::wstring& programPath, const std::wstring& newProgram) {
    const std::wstring copy = programPath + L".new";
    const std::wstring previous = programPath + L".old";
    DeleteFileW(copy.c_str());
    if (!CopyFileW(newProgram.c_str(), copy.c_str(), FALSE)) {
        DeleteFileW(copy.c_str());
        return ReplaceResult::kCopyFailed;
    }
    if (!MoveFileExW(programPath.c_str(), previous.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(copy.c_str());
        return ReplaceResult::kSwapFailed;
    }
    if (!MoveFileExW(copy.c_str(), programPath.c_str(), MOVEFILE_WRITE_THROUGH)) {
        MoveFileExW(previous.c_str(), programPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        DeleteFileW(copy.c_str());
        return ReplaceResult::kSwapFailed;
    }
    DeleteFileW(previous.c_str());
    return ReplaceResult::kReplaced;
}

int RunUpdateInstall(const UpdateStartRequest& request) {
    const std::wstring& target = request.programPath;
    const std::wstring self = ProgramFilePath();
    if (self.empty() || SamePath(self, target)) {
        ShowFailure(request.version, L"a program file cannot replace itself.", target);
        return 0;
    }
    if (!IsExistingFile(target)) {
        ShowFailure(request.version, L"the program file was not found.", target);
        return 0;
    }

    AskRunningProgramToEnd(target);
    if (!WaitUntilWritable(target, kProgramReleaseWaitMs)) {
        ShowFailure(request.version, L"the running program did not end within 20 seconds.", target);
        return 0;
    }
    switch (ReplaceProgramFile(target, self)) {
        case ReplaceResult::kReplaced:
            break;
        case ReplaceResult::kCopyFailed:
            ShowFailure(request.version, L"the new program file could not be copied beside the old one.", target);
            return 0;
        case ReplaceResult::kSwapFailed:
            ShowFailure(request.version, L"the program file could not be replaced.", target);
            return 0;
    }

    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof(start);
    start.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    start.lpFile = target.c_str();
    start.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&start)) {
        MessageBoxW(nullptr,
                    (L"Orbelin " + request.version + L" is installed but could not be started:\r\n" + target).c_str(),
                    kUpdateFailureCaption, MB_OK | MB_ICONERROR);
    }
    return 0;
}
